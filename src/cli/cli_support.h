#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_sink.h"
#include "platform/utf8.h"  // TerminalText

namespace velomar::cli {

struct CliContext;

// Message boxes become "CAPTION: TEXT" lines, in the order they are shown.
class StreamMessageSink : public MessageSink {
  public:
    explicit StreamMessageSink(std::ostream& stream) : m_stream(stream) {}
    void showMessage(std::u16string_view text, std::u16string_view caption) override;

  private:
    std::ostream& m_stream;
};

// A command-line text as a station or value text; reports and returns nothing when the
// argument is not valid UTF-8.
std::optional<std::u16string> ArgumentText(std::string_view argument, std::ostream& err);

// Splits a command's arguments into options (with their values) and positionals.
struct ParsedArgs {
    std::vector<std::pair<std::string, std::string>> options;  // in order given
    std::vector<std::string> positionals;
};

struct KnownOption {
    std::string_view name;  // "--type"
    bool takesValue;
};

// Accepts "--name value" and "--name=value"; "--" ends the options. Reports unknown options
// and missing values on err and returns nothing.
std::optional<ParsedArgs> ParseArgs(const std::vector<std::string>& args,
                                    const std::vector<KnownOption>& known, std::string_view command,
                                    std::ostream& err);

// "velomar-cli COMMAND: TEXT" on err, plus a pointer to the help; returns kUsage.
int UsageError(std::string_view command, std::string_view text, std::ostream& err);

// The program's own messages ("Read Data File Error") name no folder: says which one was
// looked in when it is not there at all.
void WarnIfNoTimeData(const CliContext& context, std::string_view command);

}  // namespace velomar::cli
