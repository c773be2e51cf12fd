// The application object: one per process, it turns the window's requests into work for
// the statistics engine. Until the engine connection exists the requests reach no engine;
// the window's behaviour around them is complete.
#pragma once

#include <string>

namespace qs {

class TQuillstone {
public:
    virtual ~TQuillstone() = default;

    std::string FileName;
    std::string DataFileName;
    std::string RegistryKey;

    // Sends syntax to the engine to be run in order.
    virtual void RunSyntax(const std::string& /*syntax*/) {}
    virtual void NewDataFile() {}
    virtual void OpenDataFile(const std::string& /*path*/) {}
    // The path of the engine's active data file ("" when none or no engine).
    virtual std::string GetActiveDataFilePath() { return {}; }
};

} // namespace qs
