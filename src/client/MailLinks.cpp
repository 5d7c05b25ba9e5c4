// MailLinks -- a mail composed for the user's own mail program and a page opened in the user's own browser, both through the platform's link opener.
#include "client/MailLinks.h"

#include "core/DebugSystem.h"
#include "core/system/PlatformSystem.h"

#include <algorithm>
#include <cctype>

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

// Letters, digits, "+", "-" and "." after a first letter, then "://", at the very start: an
// address that holds "://" further on (a page's own argument) names no scheme.
bool MailLinksHasWebScheme(const std::string& address)
{
    size_t end = address.find("://");
    if (end == std::string::npos || end == 0 || !std::isalpha(static_cast<unsigned char>(address[0])))
        return false;
    return std::all_of(address.begin(), address.begin() + static_cast<std::ptrdiff_t>(end), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
    });
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
        // Mended: a mail whose body the clipboard refused asked the player to paste what was never there.
        if (useClipboard && !(gPlatformSystem && gPlatformSystem->ClipboardPut(body, false))) {
            DebugSystem::Print(kPrintWarning, "The clipboard did not take the mail's text; no mail is opened\n");
            return kLinkRefused;
        }
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
    bool hasScheme = MailLinksHasWebScheme(address) || address.rfind("mailto:", 0) == 0;
    return MailLinksOpen(hasScheme ? address : "http://" + address);
}
