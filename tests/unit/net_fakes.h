// Fakes for the service-access tests: a transport that records what would go over
// the wire and answers from a script, and a shell port that records its calls.
#pragma once
#include <deque>
#include <string>
#include <vector>

#include "base/shell_port.h"
#include "net/http_transport.h"

class RecordingTransport : public HttpTransport {
public:
    std::vector<HttpRequest> requests;
    std::deque<HttpResponse> answers;  // an empty queue answers with a failure

    RecordingTransport() { SetHttpTransport(this); }
    ~RecordingTransport() override { SetHttpTransport(nullptr); }

    void Answer(std::string body) { answers.push_back(HttpResponse{true, 200, std::move(body)}); }
    void Fail() { answers.push_back(HttpResponse{false, 0, std::string()}); }

    HttpResponse Send(const HttpRequest& request) override {
        requests.push_back(request);
        if (answers.empty()) return HttpResponse{};
        HttpResponse next = std::move(answers.front());
        answers.pop_front();
        return next;
    }
};

class RecordingShell : public ShellPort {
public:
    std::vector<int32_t> icons;
    int signIns = 0;
    int menuBars = 0;

    RecordingShell() { SetShellPort(this); }
    ~RecordingShell() override { SetShellPort(nullptr); }

    void SetTrayIcon(int32_t iconId) override { icons.push_back(iconId); }
    void SetTrayTooltip(std::u16string_view) override {}
    void RebuildMenuBar() override { ++menuBars; }
    void RedrawBanner() override {}
    void BeginSignIn() override { ++signIns; }
    void ShowPopupNotice(const PopupNoticeRequest&) override {}
    int32_t ShowMessageBox(std::u16string_view, std::u16string_view, uint32_t) override { return 0; }
    bool MainWindowVisible() override { return false; }
};
