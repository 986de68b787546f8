#include "update/update_offer.h"

#include <utility>

#include "update/newer_version_dialog.h"

namespace {

// The published version the user chose not to be reminded of.
const char kDontRemind[] = "New_Version_Dont_Remind";

} // namespace

UpdateOffer::UpdateOffer(std::string descriptorUrl, OfferedProgram program)
    : url(std::move(descriptorUrl)), program(std::move(program)) {}

void UpdateOffer::Start(HWND newFrame, UINT newMessage) {
    frame = newFrame;
    message = newMessage;
    check = UpdateCheck::Start(url.c_str(), program.installedVersion.c_str(), frame, message);
}

void UpdateOffer::CheckEnded() {
    if (!Waiting())
        return;
    // Not over a message box or a modal dialog of the frame: the offer waits
    // until the frame is enabled again.
    if (!IsWindowEnabled(frame))
        return;
    const std::shared_ptr<UpdateCheck> ended = std::move(check);
    if (ended->FoundNewer())
        Offer(frame, ended->Checker());
}

void UpdateOffer::FrameEnabled() {
    if (Waiting())
        PostMessageW(frame, message, 0, 0);
}

bool UpdateOffer::Pending() const {
    return check && !check->Ended();
}

bool UpdateOffer::Waiting() const {
    return check && check->Ended();
}

void UpdateOffer::Offer(HWND owner, const Sarvel& checker) const {
    NewerVersionOffer offer{checker.LatestVersion(),
                            checker.InfoUrl(),
                            checker.DownloadUrl(),
                            program.installedVersion.c_str(),
                            program.displayName.c_str(),
                            program.title.c_str(),
                            nullptr,
                            nullptr};
    if (program.readText)
        offer.readReminder = [this] { return program.readText(kDontRemind); };
    if (program.writeText)
        offer.writeReminder = [this](const char* version) {
            program.writeText(kDontRemind, version);
        };
    ShowNewerVersionDialog(owner, offer);
}
