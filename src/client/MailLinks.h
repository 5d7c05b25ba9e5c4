// MailLinks -- a mail composed for the user's own mail program and a page opened in the user's own browser, both through the platform's link opener.
#pragma once

#include <cstdint>
#include <string>

namespace MailLinks {

// "mailto:" and the address, then "?subject=" and "&body=" for those given. The body is escaped
// ("&" as "%26", a line feed as "%0a") or, with useClipboard, put on the clipboard and replaced by
// a note asking for a paste. An address too long for the opener is tried once more the
// clipboard's way; a clipboard that does not take the body opens no mail (kLinkRefused). The
// opener's answer (kLinkOpened and the rest).
int32_t OpenMail(const std::string& address, const std::string& subject, const std::string& body, bool useClipboard);

// The address with "http://" in front unless it starts with a scheme and "://" (or is a
// "mailto:"); the empty address and schemes other than "http" and "https" are refused.
int32_t OpenWebLink(const std::string& address);

} // namespace MailLinks
