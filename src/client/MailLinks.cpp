// MailLinks -- a mail composed for the user's own mail program and a page opened in the user's own browser, both through the platform's link opener.
#include "client/MailLinks.h"

#include "core/DebugSystem.h"
#include "core/system/PlatformSystem.h"

namespace {

constexpr const char* kMailLinksClipboardNote =
    "The message body was too big, so I had to use the copy and paste method.  Please hit ctrl-V to paste the "
    "message into the email.";

std::string MailLinksEscapedBody(const std::string& body)
{
    std::string escaped;
    for (char c : body) {
        if (c == '&')
            escaped += "%26";
        else if (c == '\n')
            escaped += "%0a";
        else
            escaped += c;
    }
    return escaped;
}

int32_t MailLinksOpen(const std::string& text)
{
    return gPlatformSystem ? gPlatformSystem->OpenLink(text) : kLinkRefused;
}

} // namespace

int32_t MailLinks::OpenMail(const std::string& address, const std::string& subject, const std::string& body,
                            bool useClipboard)
{
    std::string link = "mailto:" + address;
    if (!subject.empty() || !body.empty())
        link += "?";
    if (!subject.empty())
        link += "subject=" + subject;
    if (!body.empty()) {
        if (useClipboard && gPlatformSystem)
            gPlatformSystem->ClipboardPut(body, false);
        link += "&body=";
        link += useClipboard ? std::string(kMailLinksClipboardNote) : MailLinksEscapedBody(body);
    }
    int32_t answer = MailLinksOpen(link);
    if (answer == kLinkTooLong && !useClipboard)
        return OpenMail(address, subject, body, true);
    return answer;
}

int32_t MailLinks::OpenWebLink(const std::string& address)
{
    if (address.empty())
        return kLinkRefused;
    // Mended: an address that already named its scheme got a second one in front.
    bool hasScheme = address.find("://") != std::string::npos || address.rfind("mailto:", 0) == 0;
    return MailLinksOpen(hasScheme ? address : "http://" + address);
}
