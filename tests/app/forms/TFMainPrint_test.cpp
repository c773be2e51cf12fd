// Printing from the main window, into PDF files read back page by page.
#include "app/forms/TFMain.h"
#include "platform/shell/Shell.h"
#include "support/ScriptedDialogs.h"
#include "support/TempRegistry.h"
#include "ui/TSyntaxEditor.h"

#include <QAction>
#include <QPrinterInfo>

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace qs {
namespace {

constexpr const char* kFooterCredit = "Printed by Quillstone, developed by Marrowgate";

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t pos = text.find(what); pos != std::string::npos;
         pos = text.find(what, pos + what.size())) {
        ++n;
    }
    return n;
}

class MainWindowPrint : public ::testing::Test {
protected:
    void SetUp() override {
        pdftotext = FindProgram("pdftotext");
        if (pdftotext.empty()) {
            GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
        }
        window = std::make_unique<TFMain>(reg.store);
    }
    // The text of each page of the printed file.
    std::vector<std::string> Pages(const std::string& pdf) {
        const auto text = ReadProgramOutput(pdftotext, {"-enc", "UTF-8", pdf, "-"});
        EXPECT_TRUE(text.has_value()) << pdf;
        std::vector<std::string> pages;
        std::string page;
        for (char c : text.value_or("")) {
            if (c == '\f') {
                pages.push_back(page);
                page.clear();
            } else {
                page += c;
            }
        }
        return pages;
    }
    std::vector<std::string> Print(const std::string& name) {
        const std::string pdf = (files / name).string();
        window->SetPrintFile(QString::fromStdString(pdf));
        window->actPrint->trigger();
        EXPECT_EQ(window->Status(0), "Document printed");
        return Pages(pdf);
    }
    // Every page carries each header and footer item once, numbered in turn.
    static void ExpectHeadersAndFooters(const std::vector<std::string>& pages,
                                        const std::string& fileName) {
        const std::regex printed(R"(Print Date: \d{4}-\d\d-\d\d\. Time: \d\d:\d\d)");
        const std::string count = std::to_string(pages.size());
        for (std::size_t i = 0; i < pages.size(); ++i) {
            SCOPED_TRACE("page " + std::to_string(i + 1));
            const std::string& page = pages[i];
            const std::string number = std::to_string(i + 1);
            // A caption alone ends in a blank that the text extraction drops.
            EXPECT_EQ(Count(page, "Filename:"), 1);
            if (!fileName.empty()) {
                EXPECT_EQ(Count(page, "Filename: " + fileName), 1);
            }
            EXPECT_EQ(Count(page, "Page: " + number + " of " + count), 1);
            EXPECT_EQ(Count(page, "Page: "), 1);
            EXPECT_EQ(Count(page, "Print Date: "), 1);
            EXPECT_EQ(std::distance(std::sregex_iterator(page.begin(), page.end(), printed),
                                    std::sregex_iterator()),
                      1);
            EXPECT_EQ(Count(page, number + "/" + count), 1);
            EXPECT_EQ(Count(page, kFooterCredit), 1);
            if (!fileName.empty()) {
                EXPECT_EQ(Count(page, fileName), 2); // the file name and the title
            }
        }
    }

    test::TempRegistry reg;
    test::TempDir files;
    test::ScriptedDialogs dialogs;
    std::string pdftotext;
    std::unique_ptr<TFMain> window;
};

std::string NumberedLines(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) {
        text += "COMPUTE line" + std::to_string(i) + " = " + std::to_string(i) + ".\r\n";
    }
    return text;
}

TEST_F(MainWindowPrint, EveryPageHasItsHeaderAndFooterAndEveryLinePrintsOnce) {
    const std::string path = (files / "long job.sps").string();
    test::WriteFileBytes(path, NumberedLines(150));
    ASSERT_TRUE(window->OpenSyntaxFile(path));
    const std::vector<std::string> pages = Print("out.pdf");
    ASSERT_GE(pages.size(), 3u);
    ExpectHeadersAndFooters(pages, path);
    std::string all;
    for (const std::string& page : pages) {
        all += page;
    }
    for (int i = 1; i <= 150; ++i) {
        const std::string line = "COMPUTE line" + std::to_string(i) + " =";
        EXPECT_EQ(Count(all, line), 1) << line;
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(MainWindowPrint, PrintingTwiceAndAfterSaveAsPrintsTheSameItemsWithTheNewName) {
    const std::string first = (files / "first.sps").string();
    const std::string second = (files / "second.sps").string();
    test::WriteFileBytes(first, NumberedLines(80));
    ASSERT_TRUE(window->OpenSyntaxFile(first));
    ExpectHeadersAndFooters(Print("1.pdf"), first);
    ExpectHeadersAndFooters(Print("2.pdf"), first);

    window->SynEdit->SendScintilla(QsciScintilla::SCI_REPLACESEL, "LIST.\r\n");
    window->SynEdit->FlushChanges();
    dialogs.answers = {QString::fromStdString(second)};
    window->mnuSaveAsClick();
    ASSERT_EQ(window->FileName().toStdString(), second);
    const std::vector<std::string> pages = Print("3.pdf");
    ExpectHeadersAndFooters(pages, second);
    for (const std::string& page : pages) {
        EXPECT_EQ(Count(page, first), 0);
    }
}

TEST_F(MainWindowPrint, AnUntitledDocumentPrintsTheFilenameCaptionAlone) {
    window->SynEdit->LoadText("LIST.\r\n");
    const std::vector<std::string> pages = Print("untitled.pdf");
    ASSERT_EQ(pages.size(), 1u);
    ExpectHeadersAndFooters(pages, "");
    EXPECT_TRUE(std::regex_search(pages[0], std::regex("Filename: *\n")));
}

TEST_F(MainWindowPrint, ALongPathIsShortenedInTheMiddleAndLeavesThePageNumberClear) {
    const std::string folder = std::string(70, 'a') + "/" + std::string(70, 'b');
    std::filesystem::create_directories(files / folder);
    const std::string path = (files / folder / "final name.sps").string();
    test::WriteFileBytes(path, "LIST.\r\n");
    ASSERT_TRUE(window->OpenSyntaxFile(path));
    const std::vector<std::string> pages = Print("long.pdf");
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(Count(pages[0], path), 0);
    EXPECT_EQ(Count(pages[0], "Filename: " + files.path().string().substr(0, 4)), 1);
    EXPECT_EQ(Count(pages[0], "\u2026bbbb"), 2); // the file name and the title
    EXPECT_EQ(Count(pages[0], "final name.sps"), 2);
    EXPECT_EQ(Count(pages[0], "Page: 1 of 1"), 1);
}

TEST_F(MainWindowPrint, AnEmptyDocumentPrintsOnePageWithHeaderAndFooter) {
    const std::vector<std::string> pages = Print("empty.pdf");
    ASSERT_EQ(pages.size(), 1u);
    ExpectHeadersAndFooters(pages, "");
}

TEST_F(MainWindowPrint, AnUnwritableTargetIsAnErrorAndNotReportedAsPrinted) {
    window->SynEdit->LoadText("LIST.\r\n");
    window->SetPrintFile(QString::fromStdString((files / "no-folder" / "x.pdf").string()));
    window->actPrint->trigger();
    EXPECT_EQ(dialogs.messages,
              QStringList{"error: The document was not printed: the printer could not be "
                          "started."});
    EXPECT_NE(window->Status(0), "Document printed");
}

TEST_F(MainWindowPrint, WithoutAPrinterTheUserIsToldAndNothingClaimsSuccess) {
    if (!QPrinterInfo::defaultPrinter().isNull()) {
        GTEST_SKIP() << "this machine has a default printer";
    }
    window->SynEdit->LoadText("LIST.\r\n");
    window->actPrint->trigger();
    EXPECT_EQ(dialogs.messages,
              QStringList{"error: The document was not printed: there is no default printer."});
    EXPECT_NE(window->Status(0), "Document printed");
}

} // namespace
} // namespace qs
