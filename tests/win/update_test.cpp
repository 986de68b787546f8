// The update check against HTTP servers on 127.0.0.1 that the test runs
// itself, each answering in its own way, and the newer-version dialog driven
// through its messages.
// Winsock before windows.h, which would bring the old winsock.h.
#include <winsock2.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "descriptor/descriptor.h"
#include "res/resource.h"
#include "update/newer_version_dialog.h"
#include "update/sarvel.h"
#include "win/url_opener.h"
#include "win_test_util.h"

namespace {

// A deadline short enough for the tests of servers that never finish.
constexpr uint32_t kTestDeadlineMs = 1500;

// An HTTP server on 127.0.0.1 and a free port, in a thread of the test: each
// connection's request is read to its blank line, then `answer` writes the
// response (it may wait; `Stopping` tells it to give up), then the
// connection is closed.
class LoopbackServer {
public:
    using Answer = std::function<void(SOCKET, const LoopbackServer&)>;

    explicit LoopbackServer(Answer answer) : answer(std::move(answer)) {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        int size = sizeof address;
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
        port = ntohs(address.sin_port);
        listen(listener, 4);
        thread = std::thread([this] { Serve(); });
    }
    ~LoopbackServer() {
        stopping = true;
        closesocket(listener);
        thread.join();
        WSACleanup();
    }

    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port) + path;
    }
    bool Stopping() const { return stopping; }

    // Sends all of `bytes`; false when the peer is gone.
    static bool Send(SOCKET s, const std::string& bytes) {
        size_t sent = 0;
        while (sent < bytes.size()) {
            const int n = send(s, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
            if (n <= 0)
                return false;
            sent += static_cast<size_t>(n);
        }
        return true;
    }

private:
    void Serve() {
        while (!stopping) {
            SOCKET client = accept(listener, nullptr, nullptr);
            if (client == INVALID_SOCKET)
                return;
            std::string request;
            char chunk[1024];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const int n = recv(client, chunk, sizeof chunk, 0);
                if (n <= 0)
                    break;
                request.append(chunk, static_cast<size_t>(n));
            }
            answer(client, *this);
            shutdown(client, SD_SEND);
            closesocket(client);
        }
    }

    Answer answer;
    SOCKET listener = INVALID_SOCKET;
    int port = 0;
    std::atomic<bool> stopping{false};
    std::thread thread;
};

// Answers with `status` and `body`, announcing `announced` bytes (the body's
// size when negative).
LoopbackServer::Answer Respond(const std::string& body, const char* status = "200 OK",
                               long announced = -1) {
    return [=](SOCKET s, const LoopbackServer&) {
        const long length = announced < 0 ? static_cast<long>(body.size()) : announced;
        LoopbackServer::Send(s, std::string("HTTP/1.0 ") + status +
                                    "\r\nContent-Type: text/xml\r\nContent-Length: " +
                                    std::to_string(length) + "\r\n\r\n" + body);
    };
}

std::string Pad(const std::string& version,
                const std::string& info = "http://www.pellmora.com/orvanta/",
                const std::string& download = "http://www.pellmora.com/orvanta/setup.exe") {
    return "<?xml version=\"1.0\"?><XML_DIZ_INFO><Program_Info><Program_Version>" + version +
           "</Program_Version></Program_Info><Web_Info><Application_URLs><Application_Info_URL>" +
           info + "</Application_Info_URL></Application_URLs><Download_URLs><Primary_Download_URL>" +
           download + "</Primary_Download_URL></Download_URLs></Web_Info></XML_DIZ_INFO>";
}

std::string Filler(size_t size) {
    std::string text(size, 'x');
    for (size_t i = 0; i < size; i += 97)
        text[i] = static_cast<char>('a' + i % 26);
    return text;
}

struct Download {
    bool ok = false;
    std::string body;
    bool terminated = false;
    DWORD ms = 0;
};

// Each download has a path of its own, so that no cached answer is reused.
Download Get(const LoopbackServer& server) {
    static int count = 0;
    Download d;
    std::unique_ptr<char[]> buffer;
    uint32_t length = 0;
    const DWORD start = GetTickCount();
    d.ok =
        ReadUrlToBuffer(kSarvelAgent, server.Url("/pad" + std::to_string(++count) + ".xml").c_str(),
                        &buffer, &length, kTestDeadlineMs);
    d.ms = GetTickCount() - start;
    if (buffer) {
        d.body.assign(buffer.get(), length);
        d.terminated = buffer[length] == '\0';
    }
    return d;
}

TEST(ReadUrlToBuffer, BodiesOfEverySizeArriveWholeAndTerminated) {
    const struct {
        const char* name;
        std::string body;
        const char* status;
    } cases[] = {
        {"descriptor", Pad("1.2"), "200 OK"},
        {"exactly the first buffer", Filler(8192), "200 OK"},
        {"one byte more", Filler(8193), "200 OK"},
        {"200 KiB", Filler(200 * 1024), "200 OK"},
        {"the largest descriptor", Filler(kMaxDescriptorSize), "200 OK"},
        {"a 404 page is the document", "<html>not here</html>", "404 Not Found"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server(Respond(c.body, c.status));
        const Download d = Get(server);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.body.size(), c.body.size());
        EXPECT_TRUE(d.body == c.body);
        EXPECT_TRUE(d.terminated);
    }
}

TEST(ReadUrlToBuffer, FailuresEndWithoutABufferAndInTime) {
    const struct {
        const char* name;
        LoopbackServer::Answer answer;
        bool mayHoldWhatCame; // the body as far as it came may count as the document
    } cases[] = {
        {"longer than a descriptor may be", Respond(Filler(kMaxDescriptorSize + 1)), false},
        {"closes in the middle of the body", Respond(Filler(100), "200 OK", 1000), true},
        {"accepts and says nothing",
         [](SOCKET, const LoopbackServer& server) {
             while (!server.Stopping())
                 Sleep(20);
         },
         false},
        {"drips a byte at a time",
         [](SOCKET s, const LoopbackServer& server) {
             LoopbackServer::Send(s, "HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n");
             while (!server.Stopping() && LoopbackServer::Send(s, "<"))
                 Sleep(100);
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server(c.answer);
        const Download d = Get(server);
        EXPECT_LT(d.ms, kTestDeadlineMs + 1500) << "the deadline ends it";
        if (c.mayHoldWhatCame && d.ok) {
            EXPECT_EQ(d.body, Filler(100));
        } else {
            EXPECT_FALSE(d.ok);
        }
        if (!d.ok) {
            EXPECT_TRUE(d.body.empty());
        }
    }

    // A port nobody listens on any more: refused at once.
    std::string closed;
    {
        LoopbackServer gone(Respond(""));
        closed = gone.Url("/pad.xml");
    }
    std::unique_ptr<char[]> buffer;
    uint32_t length = 7;
    const DWORD start = GetTickCount();
    EXPECT_FALSE(ReadUrlToBuffer(kSarvelAgent, closed.c_str(), &buffer, &length, kTestDeadlineMs));
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_EQ(buffer, nullptr);
    EXPECT_EQ(length, 0u);
}

TEST(Sarvel, TellsWhetherTheDescriptorPublishesANewerVersion) {
    const struct {
        std::string body;
        bool newer;
        const char* latest;
    } cases[] = {
        {Pad("1.2"), true, "1.2"}, {Pad("1.1"), false, "1.1"},     {Pad("1.10"), true, "1.10"},
        {"", false, ""},           {"<XML_DIZ_INFO/>", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body.substr(0, 60));
        LoopbackServer server(Respond(c.body));
        static int count = 0;
        Sarvel checker(server.Url("/sarvel" + std::to_string(++count) + ".xml").c_str(), "1.1");
        checker.deadlineMs = kTestDeadlineMs;
        EXPECT_EQ(checker.IsNewerAvailable(), c.newer);
        EXPECT_STREQ(checker.LatestVersion(), c.latest);
        if (c.newer) {
            EXPECT_STREQ(checker.InfoUrl(), "http://www.pellmora.com/orvanta/");
            EXPECT_STREQ(checker.DownloadUrl(), "http://www.pellmora.com/orvanta/setup.exe");
        }
    }
}

// The dialog, offered through the application with the reminder in its
// registry key.
class NewerVersion : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        opened.clear();
        previousOpener = SetUrlOpener([](const char* url) { opened.push_back(url); });
    }
    void TearDown() override {
        SetUrlOpener(previousOpener);
        AppTest::TearDown();
    }

    // Offers `latest`; when the dialog shows, `answer` gets it. Whether it
    // was shown.
    bool Offer(const std::string& latest, const std::function<void(HWND)>& answer) {
        Sarvel checker("", "1.1");
        checker.latestVersion = latest;
        checker.infoUrl = "http://info/";
        checker.downloadUrl = "http://download/";
        bool shown = false;
        DialogScript script({[&] {
                                HWND dialog = FindDialog("New Version of Orvanta Available");
                                if (!dialog)
                                    return false;
                                shown = true;
                                answer(dialog);
                                return true;
                            }},
                            false);
        app->updateOffer.Offer(app->frameWindow, checker);
        return shown;
    }

    std::string Stored(HKEY root) {
        char text[300] = {};
        return app->ReadString(root, "New_Version_Dont_Remind", text, sizeof text) ? text
                                                                                   : "(none)";
    }

    static std::vector<std::string> opened;
    UrlOpener previousOpener = nullptr;
};

std::vector<std::string> NewerVersion::opened;

std::string Text(HWND dialog, int id) {
    char text[512] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

TEST_F(NewerVersion, ShowsTheVersionsAndRemembersDontRemindMe) {
    EXPECT_TRUE(Offer("1.2", [](HWND d) {
        EXPECT_EQ(Text(d, IDC_NEWER_HEADLINE), "A newer version of Orvanta 1.1 is available.");
        EXPECT_EQ(Text(d, IDC_NEWER_INSTALLED), "Installed version: 1.1");
        EXPECT_EQ(Text(d, IDC_NEWER_CURRENT), "Current version: 1.2");
        PostClick(d, IDC_NEWER_DONT_REMIND);
    }));
    EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE), "1.2");
    EXPECT_EQ(Stored(HKEY_CURRENT_USER), "1.2");
    EXPECT_FALSE(Offer("1.2", [](HWND d) { PostClick(d, IDC_NEWER_LATER); })) << "silenced";
    EXPECT_TRUE(Offer("1.3", [](HWND d) { PostClick(d, IDC_NEWER_LATER); })) << "a newer one shows";
    EXPECT_EQ(Stored(HKEY_CURRENT_USER), "1.2") << "Remind Me Later stores nothing";
    EXPECT_TRUE(opened.empty());
}

TEST_F(NewerVersion, EveryWayOutButDontRemindMeLeavesTheReminderAlone) {
    const struct {
        const char* name;
        std::function<void(HWND)> answer;
        const char* url;
    } cases[] = {
        {"Visit Website", [](HWND d) { PostClick(d, IDC_NEWER_VISIT); }, "http://info/"},
        {"Download", [](HWND d) { PostClick(d, IDC_NEWER_DOWNLOAD); }, "http://download/"},
        {"Escape", [](HWND d) { PostMessageA(d, WM_KEYDOWN, VK_ESCAPE, 0x00010001); }, nullptr},
        {"close box", [](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); }, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        opened.clear();
        EXPECT_TRUE(Offer("1.2", c.answer));
        EXPECT_EQ(FindDialog("New Version of Orvanta Available"), nullptr) << "closed";
        EXPECT_EQ(opened, c.url ? std::vector<std::string>{c.url} : std::vector<std::string>{});
        EXPECT_EQ(Stored(HKEY_CURRENT_USER), "(none)");
    }
}

// Texts are cut to 255 characters; a reminder too long for its 256 bytes
// counts as none.
TEST_F(NewerVersion, LongTextsAreCutAndALongReminderIsNone) {
    const std::string latest(300, '9');
    app->WriteStringBoth("New_Version_Dont_Remind", latest.c_str());
    EXPECT_TRUE(Offer(latest, [](HWND d) {
        EXPECT_EQ(Text(d, IDC_NEWER_CURRENT),
                  ("Current version: " + std::string(300, '9')).substr(0, 255));
        PostClick(d, IDC_NEWER_LATER);
    }));
}

// Answers like Respond after `delayMs`, or never when the test ends first.
LoopbackServer::Answer RespondLate(const std::string& body, DWORD delayMs) {
    return [=](SOCKET s, const LoopbackServer& server) {
        const DWORD start = GetTickCount();
        while (!server.Stopping() && GetTickCount() - start < delayMs)
            Sleep(10);
        if (!server.Stopping())
            Respond(body)(s, server);
    };
}

// Never answers: waits until the test ends.
void Silent(SOCKET, const LoopbackServer& server) {
    while (!server.Stopping())
        Sleep(10);
}

// A step: once the offer has closed, ends the application's message loop.
bool QuitOnceTheOfferHasClosed() {
    if (FindDialog("New Version of Orvanta Available"))
        return false;
    PostQuitMessage(0);
    return true;
}

// The program's start-up and message loop against a server of the test,
// with URLs recorded instead of opened and message boxes answered.
class StartupCheck : public ::testing::Test {
protected:
    void SetUp() override {
        ClearProgramKey();
        DrainMessages(); // an earlier application's frame posted WM_QUIT when it went
        opened.clear();
        previousOpener = SetUrlOpener([](const char* url) { opened.push_back(url); });
    }
    void TearDown() override {
        prefs.reset();
        app.reset();
        SetUrlOpener(previousOpener);
        ClearProgramKey();
    }

    // Runs start-up and the loop of a new application against `server` with
    // `steps`; the time Run took.
    DWORD Run(const LoopbackServer& server, std::vector<DialogScript::Step> steps) {
        prefs.reset();
        app.reset();
        DrainMessages();
        app = std::make_unique<GraphApp>();
        prefs = std::make_unique<OrvantaPrefs>(app.get());
        app->Init(GetModuleHandleA(nullptr), prefs.get());
        static int count = 0;
        app->updateOffer.url = server.Url("/startup" + std::to_string(++count) + ".xml");
        DialogScript script(std::move(steps));
        const DWORD start = GetTickCount();
        app->Run();
        return GetTickCount() - start;
    }

    // A step: once the main window is shown, types an equation into the
    // first field as keys do and presses Plot.
    DialogScript::Step TypeAndPlot() {
        return [this] {
            if (!IsWindowVisible(app->frameWindow))
                return false;
            shownAt = GetTickCount();
            HWND field = GetDlgItem(app->mainDialog, IDC_EQUATION1);
            SetFocus(field);
            for (char c : std::string("x^2"))
                PostMessageA(field, WM_CHAR, static_cast<WPARAM>(c), 1);
            PostClick(app->mainDialog, IDC_PLOT);
            return true;
        };
    }
    // A step: waits for the plot; whether the check was still pending then.
    DialogScript::Step Plotted(bool& pending) {
        return [this, &pending] {
            if (app->equations[0] != "x^2")
                return false;
            plottedAt = GetTickCount();
            pending = app->updateOffer.Pending();
            return true;
        };
    }

    MessageBoxAnswerer answerer;
    std::unique_ptr<GraphApp> app;
    std::unique_ptr<OrvantaPrefs> prefs;
    DWORD shownAt = 0, plottedAt = 0;
    static std::vector<std::string> opened;
    UrlOpener previousOpener = nullptr;
};

std::vector<std::string> StartupCheck::opened;

// The offer appears over the shown main window with the focus on "Remind Me
// Later", so a Return meant for the main window only puts it off.
TEST_F(StartupCheck, OfferAppearsOverTheShownWindowAndReturnPutsItOff) {
    LoopbackServer server(Respond(Pad("1.2")));
    bool mainWindowShown = false;
    Run(server, {[&] {
                     HWND dialog = FindDialog("New Version of Orvanta Available");
                     if (!dialog)
                         return false;
                     mainWindowShown = IsWindowVisible(app->frameWindow);
                     EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_NEWER_LATER));
                     EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_NEWER_VISIT)));
                     EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_NEWER_DOWNLOAD)));
                     PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
                     return true;
                 },
                 QuitOnceTheOfferHasClosed});
    EXPECT_TRUE(mainWindowShown);
    EXPECT_TRUE(opened.empty());
}

// Addresses that are not web pages (a program, a share, a local file) leave
// their buttons disabled, and nothing reaches the shell even when the
// buttons' commands arrive anyway.
TEST_F(StartupCheck, AddressesThatAreNotWebPagesAreNeverOpened) {
    const struct {
        const char* info;
        const char* download;
    } cases[] = {
        {"C:\\Windows\\System32\\cmd.exe", "file:///C:/Windows/System32/calc.exe"},
        {"\\\\127.0.0.1\\share\\setup.exe", "cmd"},
        {"http://www.pellmora.com/\"&calc", "https://user@127.0.0.1/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.info);
        LoopbackServer server(Respond(Pad("1.2", c.info, c.download)));
        bool shown = false;
        Run(server, {[&] {
                         HWND dialog = FindDialog("New Version of Orvanta Available");
                         if (!dialog)
                             return false;
                         shown = true;
                         EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_NEWER_VISIT)));
                         EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_NEWER_DOWNLOAD)));
                         EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_NEWER_LATER)));
                         SendMessageA(dialog, WM_COMMAND, IDC_NEWER_VISIT, 0);
                         SendMessageA(dialog, WM_COMMAND, IDC_NEWER_DOWNLOAD, 0);
                         return true;
                     },
                     QuitOnceTheOfferHasClosed});
        EXPECT_TRUE(shown);
        EXPECT_TRUE(opened.empty()) << opened.front();
    }
}

// While the server says nothing, the window takes typing and a Plot, and
// File > Exit ends the program without waiting for the check.
TEST_F(StartupCheck, WindowAnswersWhileTheServerIsSilent) {
    LoopbackServer server(Silent);
    bool pendingAtPlot = false, pendingAtExit = false;
    DWORD exitAt = 0;
    const DWORD ms = Run(server, {TypeAndPlot(), Plotted(pendingAtPlot), [&] {
                                      pendingAtExit = app->updateOffer.Pending();
                                      exitAt = GetTickCount();
                                      PostMessageA(app->frameWindow, WM_COMMAND, IDM_EXIT, 0);
                                      return true;
                                  }});
    const DWORD exitMs = GetTickCount() - exitAt;
    EXPECT_TRUE(pendingAtPlot) << "the plot waited for the check";
    EXPECT_TRUE(pendingAtExit);
    EXPECT_LT(ms, kUpdateDeadlineMs) << "Run waited for the check";
    EXPECT_EQ(FindDialog("New Version of Orvanta Available"), nullptr);
    std::printf("plotted %lu ms after the window was shown; ended %lu ms after File > Exit\n",
                static_cast<unsigned long>(plottedAt - shownAt),
                static_cast<unsigned long>(exitMs));
}

// A descriptor that arrives 4 s late still brings the offer, over a window
// that kept working meanwhile.
TEST_F(StartupCheck, ALateDescriptorStillBringsTheOffer) {
    LoopbackServer server(RespondLate(Pad("1.2"), 4000));
    bool pendingAtPlot = false, offered = false;
    Run(server, {TypeAndPlot(), Plotted(pendingAtPlot),
                 [&] {
                     HWND dialog = FindDialog("New Version of Orvanta Available");
                     if (!dialog)
                         return false;
                     offered = true;
                     EXPECT_EQ(GetParent(dialog), app->frameWindow);
                     PostClick(dialog, IDC_NEWER_LATER);
                     return true;
                 },
                 QuitOnceTheOfferHasClosed});
    EXPECT_TRUE(pendingAtPlot) << "the plot waited for the check";
    EXPECT_TRUE(offered);
    EXPECT_TRUE(opened.empty());
}

// An offer whose check ends while a modal dialog of the frame is up (the
// About box) waits until that dialog closes, then appears.
TEST_F(StartupCheck, AnOfferWaitsForAModalDialogToClose) {
    const char* about = "About Orvanta 1.1 - www.pellmora.com";
    LoopbackServer server(RespondLate(Pad("1.2"), 500));
    bool offeredUnderTheBox = true, offered = false;
    Run(server, {[&] {
                     if (!IsWindowVisible(app->frameWindow))
                         return false;
                     PostMessageA(app->frameWindow, WM_COMMAND, IDM_ABOUT, 0);
                     return true;
                 },
                 [&] { return FindDialog(about) && app->updateOffer.Waiting(); },
                 // Timer ticks come after posted messages: the check's
                 // message has been handled by now.
                 [&] {
                     offeredUnderTheBox = FindDialog("New Version of Orvanta Available") != nullptr;
                     PostMessageA(FindDialog(about), WM_COMMAND, IDOK, 0);
                     return true;
                 },
                 [&] {
                     HWND dialog = FindDialog("New Version of Orvanta Available");
                     if (!dialog)
                         return false;
                     offered = FindDialog(about) == nullptr;
                     PostClick(dialog, IDC_NEWER_LATER);
                     return true;
                 },
                 QuitOnceTheOfferHasClosed});
    EXPECT_FALSE(offeredUnderTheBox);
    EXPECT_TRUE(offered) << "offered once the About box had closed";
}

} // namespace
