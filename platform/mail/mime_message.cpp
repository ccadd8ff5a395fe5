#include "platform/mail/mime_message.h"

#include <gmime/gmime.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>

#include "platform/formats/file_io.h"
#include "platform/mail/mail_error.h"
#include "platform/text/ascii.h"
#include "platform/text/gbk.h"
#include "platform/text/utf8.h"

namespace veltra::mail {
namespace {

void InitialiseOnce() {
  static std::once_flag once;
  std::call_once(once, [] { g_mime_init(); });
}

template <typename T>
struct GObjectDeleter {
  void operator()(T* object) const {
    if (object != nullptr) g_object_unref(object);
  }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectDeleter<T>>;

struct GFreeDeleter {
  void operator()(char* text) const { g_free(text); }
};
using GText = std::unique_ptr<char, GFreeDeleter>;

bool IsAscii(std::string_view text) {
  for (unsigned char c : text)
    if (c >= 0x80) return false;
  return true;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

GMimeStream* MemoryStream(std::string_view bytes) { return g_mime_stream_mem_new_with_buffer(bytes.data(), bytes.size()); }

// Plain ASCII goes as us-ascii; other text as GBK, which is what the
// system's own mails have always carried, now declared as such; text that
// GBK cannot hold goes as UTF-8 rather than not at all.
// SMTP takes lines of at most 998 bytes.
bool HasLongLine(const std::vector<std::string>& lines) {
  return std::any_of(lines.begin(), lines.end(), [](const std::string& line) { return line.size() > 998; });
}

GMimeObject* BodyPart(const std::vector<std::string>& lines) {
  const std::string text = Joined(lines);
  const bool ascii = IsAscii(text);
  const bool gbk = !ascii && text::IsGbkEncodable(text);
  GMimeTextPart* part = g_mime_text_part_new_with_subtype("plain");
  GObjectPtr<GMimeStream> stream(MemoryStream(gbk ? text::Utf8ToGbk(text) : text));
  GObjectPtr<GMimeDataWrapper> content(g_mime_data_wrapper_new_with_stream(stream.get(), GMIME_CONTENT_ENCODING_DEFAULT));
  g_mime_part_set_content(GMIME_PART(part), content.get());
  g_mime_text_part_set_charset(part, ascii ? "us-ascii" : gbk ? "GBK" : "utf-8");
  const GMimeContentEncoding encoding = !ascii              ? GMIME_CONTENT_ENCODING_BASE64
                                        : HasLongLine(lines) ? GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE
                                                             : GMIME_CONTENT_ENCODING_7BIT;
  g_mime_part_set_content_encoding(GMIME_PART(part), encoding);
  return GMIME_OBJECT(part);
}

GMimeObject* AttachmentPart(const std::filesystem::path& file) {
  std::string bytes;
  try {
    bytes = formats::ReadWholeFile(file);
  } catch (const std::exception& e) {
    throw MailError("无法读取附件 " + file.string() + ":" + e.what());
  }
  GMimePart* part = g_mime_part_new_with_type("application", "octet-stream");
  GObjectPtr<GMimeStream> stream(MemoryStream(bytes));
  GObjectPtr<GMimeDataWrapper> content(g_mime_data_wrapper_new_with_stream(stream.get(), GMIME_CONTENT_ENCODING_DEFAULT));
  g_mime_part_set_content(part, content.get());
  g_mime_part_set_filename(part, file.filename().string().c_str());
  g_mime_part_set_content_encoding(part, GMIME_CONTENT_ENCODING_BASE64);
  return GMIME_OBJECT(part);
}

// A receiving installation compares the bytes after "Subject:" with its
// marker in the tables' code page, so text GBK holds goes out as raw GBK;
// other text goes as encoded words. Readers of either form take both.
void SetSubject(GMimeMessage* mime, const std::string& subject) {
  g_mime_message_set_subject(mime, subject.c_str(), "utf-8");
  if (!text::IsGbkEncodable(subject)) return;
  const std::string raw = " " + text::Utf8ToGbk(subject) + "\n";
  if (raw.size() + std::strlen("Subject:") > 998) return;
  GMimeHeaderList* headers = g_mime_object_get_header_list(GMIME_OBJECT(mime));
  g_mime_header_set_raw_value(g_mime_header_list_get_header(headers, "Subject"), raw.c_str());
}

GMimeParserOptions* ParserOptions() {
  static GMimeParserOptions* options = [] {
    GMimeParserOptions* created = g_mime_parser_options_new();
    // Undeclared 8-bit text from older installations is GBK.
    const char* charsets[] = {"UTF-8", "GB18030", nullptr};
    g_mime_parser_options_set_fallback_charsets(created, charsets);
    g_mime_parser_options_set_rfc2047_compliance_mode(created, GMIME_RFC_COMPLIANCE_LOOSE);
    g_mime_parser_options_set_parameter_compliance_mode(created, GMIME_RFC_COMPLIANCE_LOOSE);
    return created;
  }();
  return options;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

std::string DecodedContent(GMimePart* part) {
  GMimeDataWrapper* content = g_mime_part_get_content(part);
  if (content == nullptr) return {};
  GObjectPtr<GMimeStream> stream(g_mime_stream_mem_new());
  g_mime_data_wrapper_write_to_stream(content, stream.get());
  GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream.get()));
  return std::string(reinterpret_cast<const char*>(bytes->data), bytes->len);
}

// Text of no declared charset: UTF-8 where it is, else GBK.
std::string UndeclaredText(std::string_view bytes) {
  GText text(g_mime_utils_decode_8bit(ParserOptions(), bytes.data(), bytes.size()));
  return text ? text.get() : "";
}

std::string BodyText(GMimeTextPart* part) {
  const char* charset = g_mime_text_part_get_charset(part);
  // Older installations sent GBK labelled as us-ascii.
  if (charset == nullptr || g_ascii_strcasecmp(charset, "us-ascii") == 0) return UndeclaredText(DecodedContent(GMIME_PART(part)));
  GText text(g_mime_text_part_get_text(part));
  return text ? text.get() : "";
}

struct Attachment {
  std::string name;  // as the message names it, made safe
  std::string content;
};

std::string LowerName(const std::filesystem::path& name) { return text::ToAsciiLower(name.string()); }

// Where each attachment is saved: under its own name when the folder has
// no file of that name in any letter case, else with "(n)" added. Files
// of one stem (a table and its memo file) take the same "(n)", so that
// they still belong together.
std::vector<std::filesystem::path> AttachmentPaths(const std::vector<Attachment>& attachments,
                                                   const std::filesystem::path& folder) {
  std::set<std::string> taken;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) taken.insert(LowerName(entry.path().filename()));
  std::vector<std::filesystem::path> paths(attachments.size());
  for (std::size_t first = 0; first < attachments.size(); ++first) {
    if (!paths[first].empty()) continue;
    const std::string stem = LowerName(std::filesystem::path(attachments[first].name).stem());
    std::vector<std::size_t> group;
    std::set<std::string> extensions;
    for (std::size_t i = first; i < attachments.size(); ++i) {
      const std::filesystem::path name(attachments[i].name);
      if (paths[i].empty() && LowerName(name.stem()) == stem && extensions.insert(LowerName(name.extension())).second)
        group.push_back(i);
    }
    const auto named = [&](std::size_t i, int n) {
      const std::filesystem::path name(attachments[i].name);
      if (n == 1) return name;
      return std::filesystem::path(name.stem().string() + "(" + std::to_string(n) + ")" + name.extension().string());
    };
    for (int n = 1;; ++n) {
      if (std::any_of(group.begin(), group.end(), [&](std::size_t i) { return taken.contains(LowerName(named(i, n))); }))
        continue;
      for (std::size_t i : group) {
        paths[i] = folder / named(i, n);
        taken.insert(LowerName(named(i, n)));
      }
      break;
    }
  }
  return paths;
}

struct Collector {
  ReceivedMessage* message;
  std::vector<Attachment> attachments;
  bool body_found = false;
  std::string error;
};

// Called from inside GMime, a C library: nothing may be thrown through it,
// so every failure is kept for ReadMimeMessage to raise.
void CollectPart(GMimeObject*, GMimeObject* object, gpointer data) noexcept {
  auto& collector = *static_cast<Collector*>(data);
  if (!collector.error.empty()) return;
  const auto body = [&](const std::string& text) {
    collector.body_found = true;
    collector.message->body_lines = SplitLines(text);
  };
  try {
    if (GMIME_IS_MESSAGE_PART(object)) {
      // A forwarded mail's files reach the log as the mail's own.
      if (GMimeMessage* forwarded = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object)))
        g_mime_message_foreach(forwarded, CollectPart, data);
    } else if (GMIME_IS_MULTIPART(object)) {
      // Without a boundary (or with one the body never uses) there are no
      // parts: the parser keeps the whole body as the prologue.
      const char* prologue = g_mime_multipart_get_prologue(GMIME_MULTIPART(object));
      if (g_mime_multipart_get_count(GMIME_MULTIPART(object)) == 0 && prologue != nullptr && !collector.body_found)
        body(UndeclaredText(prologue));
    } else if (GMIME_IS_PART(object)) {
      GMimePart* part = GMIME_PART(object);
      const char* filename = g_mime_part_get_filename(part);
      if (g_mime_part_is_attachment(part) || filename != nullptr) {
        collector.attachments.push_back({SafeAttachmentName(filename ? filename : ""), DecodedContent(part)});
      } else if (GMIME_IS_TEXT_PART(object) && !collector.body_found) {
        body(BodyText(GMIME_TEXT_PART(object)));
      }
    }
  } catch (const std::exception& e) {
    collector.error = std::string("邮件内容无法读取:") + e.what();
  }
}

}  // namespace

std::string WriteMimeMessage(const OutgoingMessage& message, const EncodeEvents& events) {
  InitialiseOnce();
  GObjectPtr<GMimeMessage> mime(g_mime_message_new(TRUE));
  g_mime_message_add_mailbox(mime.get(), GMIME_ADDRESS_TYPE_FROM, OneLine(message.from_name).c_str(),
                             OneLine(message.from_address).c_str());
  const auto add = [&](GMimeAddressType type, const std::vector<std::string>& addresses) {
    for (const std::string& address : addresses)
      if (!OneLine(address).empty()) g_mime_message_add_mailbox(mime.get(), type, "", OneLine(address).c_str());
  };
  add(GMIME_ADDRESS_TYPE_TO, message.to);
  add(GMIME_ADDRESS_TYPE_CC, message.cc);
  // Blind copies get envelope recipients only, never a header.
  SetSubject(mime.get(), OneLine(message.subject));
  GDateTime* now = g_date_time_new_now_local();
  g_mime_message_set_date(mime.get(), now);
  g_date_time_unref(now);

  GObjectPtr<GMimeMultipart> mixed(g_mime_multipart_new_with_subtype("mixed"));
  GObjectPtr<GMimeObject> body(BodyPart(message.body_lines));
  g_mime_multipart_add(mixed.get(), body.get());
  for (const std::filesystem::path& file : message.attachments) {
    const std::string name = file.filename().string();
    if (events.encode_start) events.encode_start(name);
    GObjectPtr<GMimeObject> part(AttachmentPart(file));
    g_mime_multipart_add(mixed.get(), part.get());
    if (events.encode_end) events.encode_end(name);
  }
  g_mime_message_set_mime_part(mime.get(), GMIME_OBJECT(mixed.get()));

  GMimeFormatOptions* options = g_mime_format_options_new();
  g_mime_format_options_set_newline_format(options, GMIME_NEWLINE_FORMAT_DOS);
  g_mime_format_options_set_param_encoding_method(options, GMIME_PARAM_ENCODING_METHOD_RFC2231);
  GText text(g_mime_object_to_string(GMIME_OBJECT(mime.get()), options));
  g_mime_format_options_free(options);
  return text.get();
}

ReceivedMessage ReadMimeMessage(std::string_view bytes, const std::filesystem::path& attach_folder) {
  InitialiseOnce();
  GObjectPtr<GMimeStream> stream(MemoryStream(bytes));
  GObjectPtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
  GObjectPtr<GMimeMessage> mime(g_mime_parser_construct_message(parser.get(), ParserOptions()));
  if (!mime) throw MailError("邮件内容无法解析");

  ReceivedMessage message;
  if (InternetAddressList* from = g_mime_message_get_from(mime.get())) {
    GText text(internet_address_list_to_string(from, nullptr, FALSE));
    if (text) message.from = text.get();
  }
  GMimeHeaderList* headers = g_mime_object_get_header_list(GMIME_OBJECT(mime.get()));
  for (int i = 0; i < g_mime_header_list_get_count(headers); ++i) {
    GMimeHeader* header = g_mime_header_list_get_header_at(headers, i);
    const char* raw = g_mime_header_get_raw_value(header);
    message.header_lines.push_back(std::string(g_mime_header_get_raw_name(header)) + ":" + OneLine(raw ? raw : ""));
  }
  Collector collector{&message};
  g_mime_message_foreach(mime.get(), CollectPart, &collector);
  if (!collector.error.empty()) throw MailError(collector.error);
  const std::vector<std::filesystem::path> paths = AttachmentPaths(collector.attachments, attach_folder);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    try {
      formats::WriteFileAtomically(paths[i], collector.attachments[i].content);
    } catch (const std::exception& e) {
      // Half a message's files would only come again under other names.
      for (const std::string& saved : message.attachments) {
        std::error_code ignored;
        std::filesystem::remove(attach_folder / saved, ignored);
      }
      throw MailError("无法保存附件 " + paths[i].string() + ":" + e.what());
    }
    message.attachments.push_back(paths[i].filename().string());
  }
  return message;
}

std::string OneLine(std::string_view value) {
  std::string clean;
  for (char c : value)
    if (c != '\r' && c != '\n') clean += c;
  return clean;
}

std::string DecodeHeaderText(std::string_view raw) {
  InitialiseOnce();
  GText text(g_mime_utils_header_decode_text(ParserOptions(), std::string(raw).c_str()));
  return text ? text.get() : "";
}

std::string SafeAttachmentName(std::string_view name) {
  const std::size_t slash = name.find_last_of("/\\");
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  std::string clean;
  for (std::size_t pos = 0; pos < name.size();) {
    const std::size_t start = pos;
    const char32_t c = text::NextCodePoint(name, pos);
    if (c < 0x20 || c == 0x7f || c == ':') continue;
    // The log keeps the name in the tables' code page.
    const std::string_view character = name.substr(start, pos - start);
    clean += c != text::kInvalidCodePoint && text::IsGbkEncodable(character) ? character : "_";
  }
  const std::size_t start = clean.find_first_not_of(". ");
  clean = start == std::string::npos ? "" : clean.substr(start);
  if (clean.empty()) return "附件";
  // Room for the "(n)" of a repeated name and the temporary name it is written under.
  constexpr std::size_t kLongestName = 200;
  if (clean.size() <= kLongestName) return clean;
  const std::string extension = std::filesystem::path(clean).extension().string();
  std::size_t cut = kLongestName - std::min(extension.size(), kLongestName / 2);
  while (cut > 0 && (static_cast<unsigned char>(clean[cut]) & 0xC0) == 0x80) --cut;  // whole characters only
  return clean.substr(0, cut) + (extension.size() <= kLongestName / 2 ? extension : "");
}

}  // namespace veltra::mail
