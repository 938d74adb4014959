#include "net/mail_message.h"

#include <fcntl.h>
#include <gmime/gmime.h>

#include <memory>
#include <mutex>

namespace tw::net {

namespace {

void InitialiseGMime() {
  static std::once_flag once;
  std::call_once(once, [] { g_mime_init(); });
}

struct ObjectUnref {
  void operator()(gpointer object) const {
    if (object) g_object_unref(object);
  }
};
template <typename T>
using Ref = std::unique_ptr<T, ObjectUnref>;

struct GFree {
  void operator()(gpointer memory) const { g_free(memory); }
};
using OwnedText = std::unique_ptr<char, GFree>;

std::string WithUnixLineEnds(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

void AddAddresses(GMimeMessage* message, GMimeAddressType type, const std::string& text) {
  Ref<InternetAddressList> list(internet_address_list_parse(nullptr, text.c_str()));
  if (!list || internet_address_list_length(list.get()) == 0) throw NetError("Not a mail address: " + text);
  internet_address_list_append(g_mime_message_get_addresses(message, type), list.get());
}

std::string DomainOf(const std::string& address) {
  const std::size_t at = address.rfind('@');
  return at == std::string::npos || at + 1 == address.size() ? std::string("localhost") : address.substr(at + 1);
}

// A part holding `content` as it stands; text parts say that it is UTF-8.
Ref<GMimePart> ContentPart(const std::string& contentType, std::string_view content) {
  Ref<GMimeContentType> type(g_mime_content_type_parse(nullptr, contentType.empty() ? "text/plain" : contentType.c_str()));
  if (!type) type.reset(g_mime_content_type_new("text", "plain"));
  const bool text = g_mime_content_type_is_type(type.get(), "text", "*");
  Ref<GMimePart> part(text ? GMIME_PART(g_mime_text_part_new()) : g_mime_part_new());
  g_mime_object_set_content_type(GMIME_OBJECT(part.get()), type.get());
  if (text) g_mime_content_type_set_parameter(type.get(), "charset", "utf-8");
  Ref<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(content.data(), content.size()));
  Ref<GMimeDataWrapper> wrapper(g_mime_data_wrapper_new_with_stream(stream.get(), GMIME_CONTENT_ENCODING_DEFAULT));
  g_mime_part_set_content(part.get(), wrapper.get());
  g_mime_part_set_content_encoding(part.get(), g_mime_part_get_best_content_encoding(part.get(), GMIME_ENCODING_CONSTRAINT_7BIT));
  return part;
}

Ref<GMimePart> AttachmentPart(const std::string& path) {
  GError* error = nullptr;
  Ref<GMimeStream> stream(g_mime_stream_fs_open(path.c_str(), O_RDONLY, 0, &error));
  if (!stream) {
    const std::string reason = error ? error->message : "cannot be read";
    if (error) g_error_free(error);
    throw NetError("Cannot attach \"" + path + "\": " + reason);
  }
  Ref<GMimePart> part(g_mime_part_new_with_type("application", "octet-stream"));
  Ref<GMimeDataWrapper> wrapper(g_mime_data_wrapper_new_with_stream(stream.get(), GMIME_CONTENT_ENCODING_DEFAULT));
  g_mime_part_set_content(part.get(), wrapper.get());
  g_mime_part_set_content_encoding(part.get(), GMIME_CONTENT_ENCODING_BASE64);
  const std::size_t slash = path.rfind('/');
  g_mime_part_set_filename(part.get(), path.c_str() + (slash == std::string::npos ? 0 : slash + 1));
  return part;
}

Ref<GMimeMessage> ParseMessage(std::string_view raw) {
  InitialiseGMime();
  Ref<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(raw.data(), raw.size()));
  Ref<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
  return Ref<GMimeMessage>(g_mime_parser_construct_message(parser.get(), nullptr));
}

std::string DecodedContent(GMimePart* part) {
  GMimeDataWrapper* content = g_mime_part_get_content(part);
  if (!content) return {};
  Ref<GMimeStream> out(g_mime_stream_mem_new());
  g_mime_data_wrapper_write_to_stream(content, out.get());
  GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(out.get()));
  return std::string(reinterpret_cast<const char*>(bytes->data), bytes->len);
}

std::string TextOf(GMimeObject* object) {
  if (GMIME_IS_TEXT_PART(object)) {
    OwnedText text(g_mime_text_part_get_text(GMIME_TEXT_PART(object)));
    if (text) return text.get();
  }
  return GMIME_IS_PART(object) ? DecodedContent(GMIME_PART(object)) : std::string();
}

bool IsTextBody(GMimeObject* object, const char* subtype) {
  return GMIME_IS_PART(object) && !g_mime_part_is_attachment(GMIME_PART(object)) &&
         g_mime_content_type_is_type(g_mime_object_get_content_type(object), "text", subtype);
}

}  // namespace

std::string ComposeMail(const OutgoingMail& mail, LineEnds lineEnds) {
  InitialiseGMime();
  Ref<GMimeMessage> message(g_mime_message_new(TRUE));
  if (!mail.from.empty()) AddAddresses(message.get(), GMIME_ADDRESS_TYPE_FROM, mail.from);
  for (const std::string& to : mail.to) AddAddresses(message.get(), GMIME_ADDRESS_TYPE_TO, to);
  g_mime_message_set_subject(message.get(), mail.subject.c_str(), "utf-8");
  GDateTime* now = g_date_time_new_now_local();
  g_mime_message_set_date(message.get(), now);
  g_date_time_unref(now);
  OwnedText id(g_mime_utils_generate_message_id(DomainOf(BareAddress(mail.from)).c_str()));
  g_mime_message_set_message_id(message.get(), id.get());

  Ref<GMimePart> body = ContentPart(mail.contentType, WithUnixLineEnds(mail.body));
  if (mail.attachments.empty()) {
    g_mime_message_set_mime_part(message.get(), GMIME_OBJECT(body.get()));
  } else {
    Ref<GMimeMultipart> mixed(g_mime_multipart_new_with_subtype("mixed"));
    g_mime_multipart_add(mixed.get(), GMIME_OBJECT(body.get()));
    for (const std::string& path : mail.attachments)
      g_mime_multipart_add(mixed.get(), GMIME_OBJECT(AttachmentPart(path).get()));
    g_mime_message_set_mime_part(message.get(), GMIME_OBJECT(mixed.get()));
  }

  GMimeFormatOptions* options = g_mime_format_options_clone(nullptr);
  g_mime_format_options_set_newline_format(
      options, lineEnds == LineEnds::Internet ? GMIME_NEWLINE_FORMAT_DOS : GMIME_NEWLINE_FORMAT_UNIX);
  Ref<GMimeStream> out(g_mime_stream_mem_new());
  const ssize_t written = g_mime_object_write_to_stream(GMIME_OBJECT(message.get()), options, out.get());
  g_mime_format_options_free(options);
  if (written < 0) throw NetError("The message could not be composed");
  GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(out.get()));
  return std::string(reinterpret_cast<const char*>(bytes->data), bytes->len);
}

std::string BareAddress(std::string_view text) {
  InitialiseGMime();
  const std::string copy(text);
  Ref<InternetAddressList> list(internet_address_list_parse(nullptr, copy.c_str()));
  if (!list) return {};
  for (int i = 0; i < internet_address_list_length(list.get()); ++i) {
    InternetAddress* address = internet_address_list_get_address(list.get(), i);
    if (INTERNET_ADDRESS_IS_MAILBOX(address))
      return internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(address));
  }
  return {};
}

MailHeader ReadMailHeader(std::string_view raw) {
  MailHeader header;
  Ref<GMimeMessage> message = ParseMessage(raw);
  if (!message) return header;
  InternetAddressList* from = g_mime_message_get_from(message.get());
  for (int i = 0; from && i < internet_address_list_length(from) && header.from.empty(); ++i) {
    InternetAddress* address = internet_address_list_get_address(from, i);
    if (INTERNET_ADDRESS_IS_MAILBOX(address)) {
      header.from = internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(address));
    } else if (INTERNET_ADDRESS_IS_GROUP(address)) {
      InternetAddressList* members = internet_address_group_get_members(INTERNET_ADDRESS_GROUP(address));
      if (members && internet_address_list_length(members) > 0) {
        InternetAddress* first = internet_address_list_get_address(members, 0);
        if (INTERNET_ADDRESS_IS_MAILBOX(first))
          header.from = internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(first));
      }
    }
  }
  if (const char* subject = g_mime_message_get_subject(message.get())) header.subject = subject;
  return header;
}

std::string ReadMailText(std::string_view raw) {
  Ref<GMimeMessage> message = ParseMessage(raw);
  if (!message) return {};
  GMimeObject* body = g_mime_message_get_mime_part(message.get());
  if (!body) return {};
  if (!GMIME_IS_MULTIPART(body)) return TextOf(body);
  GMimeObject* anyText = nullptr;
  GMimePartIter* iter = g_mime_part_iter_new(body);
  for (bool more = g_mime_part_iter_is_valid(iter); more; more = g_mime_part_iter_next(iter)) {
    GMimeObject* part = g_mime_part_iter_get_current(iter);
    if (IsTextBody(part, "plain")) {
      g_mime_part_iter_free(iter);
      return TextOf(part);
    }
    if (!anyText && IsTextBody(part, "*")) anyText = part;
  }
  g_mime_part_iter_free(iter);
  return anyText ? TextOf(anyText) : std::string();
}

}  // namespace tw::net
