// A recording stand-in for the engine's application object, for the job tests: it logs
// every call and can be told to fail the command call.
#pragma once

#include "platform/automation/Automation.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qs::test {

struct TCallLog {
    std::vector<std::string> Calls;
    std::string DocumentPath;    // what the documents answer for their path
    std::string DictionaryError; // when set, a dictionary copy raises this error
};

class TRecordingDoc : public automation::ISpssDocument {
public:
    TRecordingDoc(TCallLog& log, std::string name) : m_Log(log), m_Name(std::move(name)) {}
    void SetVisible(bool visible) override {
        m_Log.Calls.push_back(m_Name + ".Visible=" + (visible ? "1" : "0"));
    }
    void SetWindowState(std::int32_t state) override {
        m_Log.Calls.push_back(m_Name + ".WindowState=" + std::to_string(state));
    }
    std::string GetBannerText() override { return m_Name + " banner"; }
    std::string GetDocumentPath() override { return m_Log.DocumentPath; }
    void SaveAs(const std::string& path) override { m_Log.Calls.push_back(m_Name + ".SaveAs " + path); }
    std::string SaveDictionaryCopy() override {
        m_Log.Calls.push_back(m_Name + ".SaveDictionaryCopy");
        if (!m_Log.DictionaryError.empty()) {
            throw automation::EAutomationError(m_Log.DictionaryError);
        }
        return "/private/dict-1.sav";
    }

private:
    TCallLog& m_Log;
    std::string m_Name;
};

class TRecordingApp : public automation::ISpssApp {
public:
    explicit TRecordingApp(TCallLog& log) : m_Log(log) {}

    void ExecuteCommands(const std::string& commands, bool wait) override {
        m_Log.Calls.push_back(commands + (wait ? "" : " (no wait)"));
        if (OnExecute) {
            OnExecute(commands);
        }
        if (!FailWith.empty()) {
            throw automation::EAutomationError(FailWith);
        }
    }
    std::optional<std::vector<automation::EngineMessage>> ExecuteCommandsReporting(
        const std::string& commands, const automation::RunPlace& place = {}) override {
        LastPlace = place;
        ExecuteCommands(commands, true);
        return Report ? Report(commands) : std::nullopt;
    }
    std::unique_ptr<automation::ISpssDocuments> Documents() override {
        struct TDocs : automation::ISpssDocuments {
            TCallLog& Log;
            explicit TDocs(TCallLog& log) : Log(log) {}
            std::unique_ptr<automation::ISpssDocument> GetDataDoc(std::int32_t index) override {
                return std::make_unique<TRecordingDoc>(Log, "data" + std::to_string(index));
            }
        };
        return std::make_unique<TDocs>(m_Log);
    }
    bool GuardsPendingTransformations() const override { return Guards; }
    std::unique_ptr<automation::ISpssDocument> GetOutputDoc() override {
        return std::make_unique<TRecordingDoc>(m_Log, "output");
    }
    std::unique_ptr<automation::ISpssDocument> GetDesignerDoc() override {
        return std::make_unique<TRecordingDoc>(m_Log, "designer");
    }

    std::string FailWith; // when set, the command call raises this automation error
    bool Guards = false;  // refuses a dictionary copy itself while transformations wait
    std::function<void(const std::string&)> OnExecute;
    automation::RunPlace LastPlace; // where the last reported run said its text stands
    // The messages a reporting run returns; unset, the run reports none (nullopt).
    std::function<std::optional<std::vector<automation::EngineMessage>>(const std::string&)> Report;

private:
    TCallLog& m_Log;
};

} // namespace qs::test
