#pragma once

#include <functional>

#include "platform/message_sink.h"

class QWidget;

namespace velomar {

// A modal message box with the given caption and one OK button, over the window that is
// active when the message comes (the square dialog, or the main window).
class QtMessageSink : public MessageSink {
  public:
    explicit QtMessageSink(std::function<QWidget*()> fallbackParent = {})
        : m_fallbackParent(std::move(fallbackParent)) {}
    void showMessage(std::u16string_view text, std::u16string_view caption) override;

  private:
    std::function<QWidget*()> m_fallbackParent;
};

// Writes "caption: text" lines to standard error; for unattended runs (--screenshot).
class StderrMessageSink : public MessageSink {
  public:
    void showMessage(std::u16string_view text, std::u16string_view caption) override;
};

}  // namespace velomar
