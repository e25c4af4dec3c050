#include "base/shell_port.h"

#include <atomic>

namespace {
class QuietShell final : public ShellPort {
public:
    void SetTrayIcon(int32_t) override {}
    void SetTrayTooltip(std::u16string_view) override {}
    void RebuildMenuBar() override {}
    void RedrawBanner() override {}
    void BeginSignIn() override {}
    void ShowPopupNotice(const PopupNoticeRequest&) override {}
    int32_t ShowMessageBox(std::u16string_view, std::u16string_view, uint32_t) override { return 0; }
    bool MainWindowVisible() override { return false; }
};

QuietShell quiet;
std::atomic<ShellPort*> current{&quiet};
}  // namespace

std::atomic<int32_t> TrayState{TrayStateNormal};

int32_t TrayIconOfState(int32_t state) {
    switch (state) {
    case TrayStateNormal: return TrayIconNormal;
    case TrayStateNew: return TrayIconNew;
    case TrayStateBrowser: return TrayIconBrowser;
    default: return 0;
    }
}

ShellPort& Shell() { return *current.load(); }

void SetShellPort(ShellPort* port) { current = port ? port : &quiet; }
