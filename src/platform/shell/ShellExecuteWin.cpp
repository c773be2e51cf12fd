#include "platform/shell/ShellExecute.h"

#include "platform/WinText.h"

#include <windows.h>

#include <shellapi.h>

namespace qs {

bool ShellExecuteProgram(const std::string& program, const std::string& parameters,
                         ShellShow show) {
    int showCommand = SW_HIDE;
    if (show == ShellShow::Maximized) {
        showCommand = SW_SHOWMAXIMIZED;
    } else if (show == ShellShow::Normal) {
        showCommand = SW_SHOWNORMAL;
    }
    const HINSTANCE result =
        ::ShellExecuteW(::GetActiveWindow(), nullptr, Widen(program).c_str(),
                        Widen(parameters).c_str(), nullptr, showCommand);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

} // namespace qs
