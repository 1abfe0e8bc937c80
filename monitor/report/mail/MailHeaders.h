#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/LocalTime.h"

namespace kestrove {

// Removes CR, LF and every other control character, so a value can never end its header (or
// SMTP/POP3 command) and start one of its own.
std::string StripControlCharacters(std::string_view text);

// The tab-separated recipient list as single addresses: trimmed, cleaned, empty ones skipped.
std::vector<std::string> SplitRecipients(std::string_view tabList);

// The address for the SMTP envelope: the part inside "<...>" when the text has one.
std::string EnvelopeAddress(std::string_view address);

// "Subject: " with the text as RFC 2047 UTF-8 encoded words, folded so that no line passes
// 76 characters; lines are joined by CRLF + space. Characters are never split between words.
std::string SubjectHeader(std::string_view subject);

// "To: a, b, c", folded after a comma before a line would pass 76 characters.
std::string ToHeader(const std::vector<std::string>& recipients);

// "Date: Sat, 05 May 2007 14:03:09 +0900" in the local zone.
std::string DateHeader(TimePoint when);

// The attachment's name as it may appear in its header: the file name with every character
// outside printable ASCII, and quotes or backslashes, replaced by "_".
std::string AttachmentName(const std::filesystem::path& path);

// A MIME type for the attachments the monitor sends (zip archive or HTML report).
std::string AttachmentType(const std::filesystem::path& path);

std::string Base64Encode(std::string_view bytes);

}  // namespace kestrove
