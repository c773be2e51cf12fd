#include "spss/SPSSBaseJobs.h"

#include "app/SyntaxFile.h"
#include "platform/shell/Shell.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <utility>

namespace qs {

using automation::EAutomationError;
using automation::ISpssApp;

void TSPSSJob::Run(std::unique_ptr<ISpssApp>& App) {
    ConnectionLost = false;
    try {
        Execute(App);
    } catch (const automation::EConnectionLost& e) {
        ErrorMessage = e.what();
        Finished = false;
        ConnectionLost = true;
    } catch (const EAutomationError& e) {
        ErrorMessage = e.what();
        Finished = false;
    } catch (const ESPSSJobError& e) {
        ErrorMessage = e.what();
        Finished = false;
    }
}

namespace {

// No engine connection: nothing was sent, so a new engine may take the job.
constexpr const char* kNotLoaded = "This job can not be executed because SPSS is not loaded";

bool IsBlank(const std::string& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) > 32) {
            return false;
        }
    }
    return true;
}

// A UTF-8 file name as the file system's: Windows takes the wide name, as its narrow
// calls would read the bytes in the ANSI code page.
std::filesystem::path FilePath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

void RemoveFile(const std::string& utf8) {
    std::error_code ignored;
    std::filesystem::remove(FilePath(utf8), ignored);
}

// Removes the include file however the run ends: nobody else would.
class TFileRemover {
public:
    explicit TFileRemover(std::string path) : m_Path(std::move(path)) {}
    ~TFileRemover() {
        if (!m_Path.empty()) {
            RemoveFile(m_Path);
        }
    }
    TFileRemover(const TFileRemover&) = delete;
    TFileRemover& operator=(const TFileRemover&) = delete;

private:
    std::string m_Path;
};

} // namespace

std::string DoubledQuotes(const std::string& text, char quote) {
    std::string out;
    out.reserve(text.size() + 2);
    for (const char c : text) {
        out += c;
        if (c == quote) {
            out += quote;
        }
    }
    return out;
}

std::vector<automation::EngineMessage> MessagesInText(std::vector<automation::EngineMessage> messages,
                                                      const std::string& includeFile) {
    if (includeFile.empty()) {
        return messages;
    }
    for (automation::EngineMessage& message : messages) {
        if (message.file == includeFile) {
            message.file.clear();
        } else if (message.file.empty()) {
            message.line = 0;
        }
    }
    return messages;
}

TSPSSSyntaxJob::TSPSSSyntaxJob(std::string syntaxText, MessagesHandler onMessages,
                               std::int64_t firstLine,
                               std::shared_ptr<TPendingTransformations> pending)
    : SyntaxText(std::move(syntaxText)), m_OnMessages(std::move(onMessages)),
      m_FirstLine(firstLine), m_Pending(std::move(pending)) {}

void TSPSSSyntaxJob::Report(std::optional<std::vector<automation::EngineMessage>> messages,
                            const std::string& includeFile) const {
    if (m_OnMessages) {
        if (messages) {
            messages = MessagesInText(std::move(*messages), includeFile);
        }
        m_OnMessages(std::move(messages));
    }
}

std::string TSPSSSyntaxJob::MakeTempFileName(const std::string& Prefix) {
    TempFileResult made = CreateTempFile(Prefix);
    if (made.path.empty()) {
        char text[512];
        std::snprintf(text, sizeof text, "Win32 Error %d: %s", made.error, made.message.c_str());
        throw ESPSSJobError(text);
    }
    return made.path;
}

void TSPSSSyntaxJob::Execute(std::unique_ptr<ISpssApp>& App) {
    if (!App) {
        throw automation::EConnectionLost(kNotLoaded);
    }
    if (!m_Pending) {
        Send(App);
        return;
    }
    try {
        Send(App);
    } catch (const automation::EConnectionLost&) {
        throw; // nothing of it ran
    } catch (...) {
        m_Pending->Note(SyntaxText, false); // some of it may have run
        throw;
    }
    m_Pending->Note(SyntaxText, true);
}

void TSPSSSyntaxJob::Send(std::unique_ptr<ISpssApp>& App) {
    Finished = true;
    if (IsBlank(SyntaxText)) {
        return;
    }
    if (SyntaxText.size() <= kDirectLimit) {
        Report(App->ExecuteCommandsReporting(SyntaxText, {m_FirstLine, {}}), {});
        return;
    }
    const std::string name = MakeTempFileName("SPSSGBA");
    TFileRemover remover(name);
    {
        std::ofstream out(FilePath(name), std::ios::binary | std::ios::trunc);
        out << NormaliseLineEnds(SyntaxText);
        out.close();
        if (!out) {
            throw ESPSSJobError("Cannot write the include file " + name);
        }
    }
    Report(App->ExecuteCommandsReporting("INCLUDE FILE=\"" + DoubledQuotes(name, '"') + "\".\r",
                                         {m_FirstLine, name}),
           name);
}

TSPSSShowHideDocument::TSPSSShowHideDocument(bool show, std::int32_t documentKind,
                                             std::int32_t windowState, TSPSSUiHooks hooks)
    : Show(show), DocumentKind(documentKind), WindowState(windowState),
      m_Hooks(std::move(hooks)) {}

void TSPSSShowHideDocument::Execute(std::unique_ptr<ISpssApp>& App) {
    if (m_Hooks.SetBusyCursor) {
        m_Hooks.SetBusyCursor();
    }
    struct TCursorGuard {
        const std::function<void()>& Restore;
        ~TCursorGuard() {
            if (Restore) {
                Restore();
            }
        }
    } guard{m_Hooks.RestoreCursor};

    if (!App) {
        throw automation::EConnectionLost(kNotLoaded);
    }
    std::unique_ptr<automation::ISpssDocument> doc;
    switch (DocumentKind) {
    case 0:
        if (auto docs = App->Documents()) {
            doc = docs->GetDataDoc(0);
        }
        break;
    case 1:
        doc = App->GetOutputDoc();
        break;
    case 2:
        doc = App->GetDesignerDoc();
        break;
    default:
        break;
    }
    if (!doc) {
        throw ESPSSJobError("No document of kind " + std::to_string(DocumentKind));
    }
    doc->SetVisible(Show);
    if (Show) {
        if (WindowState != -1) {
            doc->SetWindowState(WindowState);
        }
        const std::string title = doc->GetBannerText();
        if (m_Hooks.BringWindowToFront) {
            m_Hooks.BringWindowToFront(title);
        }
    }
    Finished = true;
}

TSPSSDataFileJob::TSPSSDataFileJob(std::shared_ptr<std::atomic<std::uint64_t>> latest,
                                   std::uint64_t generation, ResultHandler onResult,
                                   std::shared_ptr<const TPendingTransformations> pending)
    : m_Latest(std::move(latest)), m_Generation(generation), m_OnResult(std::move(onResult)),
      m_Pending(std::move(pending)) {}

void TSPSSDataFileJob::Execute(std::unique_ptr<ISpssApp>& App) {
    if (m_Latest && m_Latest->load() != m_Generation) {
        Finished = true; // a newer query behind this one will answer
        return;
    }
    if (!App) {
        throw automation::EConnectionLost(kNotLoaded);
    }
    TDataFileQuery result;
    if (m_Pending && !App->GuardsPendingTransformations()) {
        result.Error = m_Pending->Why(); // then the copy is not asked for, and the tree says why
    }
    if (result.Error.empty()) {
        try {
            const std::unique_ptr<automation::ISpssDocument> document = App->Documents()->GetDataDoc(0);
            // The copy waits for the runs before it; the path, asked after, is theirs too.
            result.DictionaryFile = document->SaveDictionaryCopy();
            result.Path = document->GetDocumentPath();
            if (result.Path.empty()) {
                result.Path = "Untitled";
            }
        } catch (const automation::EConnectionLost&) {
            throw; // the engine retries on a new engine
        } catch (const EAutomationError& e) {
            result.Error = e.what();
        }
    }
    Finished = true;
    if (m_OnResult) {
        m_OnResult(std::move(result));
    } else if (!result.DictionaryFile.empty()) {
        RemoveFile(result.DictionaryFile);
    }
}

TSPSSAttachJob::TSPSSAttachJob(TSPSSAppFactory factory) : m_Factory(std::move(factory)) {}

void TSPSSAttachJob::Execute(std::unique_ptr<ISpssApp>& App) {
    if (App) {
        return;
    }
    try {
        if (m_Factory.GetActive) {
            App = m_Factory.GetActive();
        }
    } catch (...) {
        // No engine running is the usual case at start; a new one is made below.
        App.reset();
    }
    if (!App) {
        if (!m_Factory.Create) {
            throw EAutomationError(automation::kOperationUnavailable);
        }
        App = m_Factory.Create();
        if (!App) {
            throw EAutomationError(automation::kOperationUnavailable);
        }
    }
    Finished = true;
}

} // namespace qs
