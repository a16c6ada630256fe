#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velomar {

// Captions the program uses for its message boxes.
inline constexpr std::u16string_view kAppTitle = u"Velomar";
inline constexpr std::u16string_view kInfoCaption = u"Info";

// A modal message box with one OK button: the call returns when the user has closed it.
class MessageSink {
  public:
    virtual ~MessageSink() = default;
    virtual void showMessage(std::u16string_view text, std::u16string_view caption) = 0;
};

struct Message {
    std::u16string text;
    std::u16string caption;
    friend bool operator==(const Message&, const Message&) = default;
};

// Keeps every message in order; used by tests and by front ends that print later.
class RecordingMessageSink : public MessageSink {
  public:
    void showMessage(std::u16string_view text, std::u16string_view caption) override {
        messages.push_back({std::u16string(text), std::u16string(caption)});
    }
    std::vector<Message> messages;
};

}  // namespace velomar
