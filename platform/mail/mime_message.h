#pragma once
// Mail messages as MIME text: what the sending window writes (a plain
// body and base64 attachments in multipart/mixed, the subject in GBK as
// the receiving window compares it, other Chinese headers as encoded
// words, file names after RFC 2231) and what the receiving window
// reads back (sender, header lines, body, attachments saved to a folder).
// Text is UTF-8 in memory; bodies go out in GBK, the tables' code page.
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace veltra::mail {

struct OutgoingMessage {
  std::string from_address;
  std::string from_name;
  std::string subject;
  std::vector<std::string> to, cc, bcc;  // empty entries are skipped
  std::vector<std::filesystem::path> attachments;
  std::vector<std::string> body_lines;
};

// Called around the encoding of each attachment, with its file name.
struct EncodeEvents {
  std::function<void(const std::string&)> encode_start;
  std::function<void(const std::string&)> encode_end;
};

// The message with CR LF line ends, ready for DATA (not yet dot-stuffed).
// Throws MailError naming an attachment that cannot be read.
std::string WriteMimeMessage(const OutgoingMessage& message, const EncodeEvents& events = {});

struct ReceivedMessage {
  std::string from;                       // "name <address>", decoded
  std::vector<std::string> header_lines;  // "Name:" and the value as sent, line breaks taken out
  std::vector<std::string> body_lines;
  std::vector<std::string> attachments;   // names of the files saved
};

// Parses `bytes` and saves every attachment into `attach_folder` under its
// own name, cleaned so that it cannot leave the folder and made unique so
// that it replaces no other file. Throws MailError when a file cannot be
// written, having removed the ones it saved before.
ReceivedMessage ReadMimeMessage(std::string_view bytes, const std::filesystem::path& attach_folder);

// `value` without CR and LF, which would end a header or command line early
// and let the value add lines of its own.
std::string OneLine(std::string_view value);

// A header value as text: encoded words decoded, raw 8-bit text read as
// UTF-8 or else GBK.
std::string DecodeHeaderText(std::string_view raw);

// A name for a received attachment that stays inside its folder, fits the
// file system and holds only characters the tables can store.
std::string SafeAttachmentName(std::string_view name);

}  // namespace veltra::mail
