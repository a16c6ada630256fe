// Direct access to the program's settings key, through the same five operations the
// program uses.
#include <charconv>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/cli_commands.h"
#include "cli/cli_settings.h"
#include "cli/cli_support.h"
#include "platform/utf8.h"
#include "settings/settings_store.h"

namespace velomar::cli {

namespace {

constexpr std::string_view kCommand = "settings";

// The stored UTF-16LE units up to the first terminator.
std::u16string bytesAsText(const std::vector<std::byte>& data) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
        const auto unit = static_cast<char16_t>(std::to_integer<unsigned>(data[i]) |
                                                (std::to_integer<unsigned>(data[i + 1]) << 8));
        if (unit == u'\0') {
            break;
        }
        text.push_back(unit);
    }
    return text;
}

std::string bytesAsHex(const std::vector<std::byte>& data) {
    std::string hex;
    for (std::byte b : data) {
        char digits[3] = {};
        std::snprintf(digits, sizeof digits, "%02x", std::to_integer<unsigned>(b));
        hex += digits;
    }
    return hex;
}

std::uint32_t bytesAsNumber(const std::vector<std::byte>& data) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | std::to_integer<std::uint32_t>(data[static_cast<std::size_t>(i)]);
    }
    return value;
}

// "text" and "number" for the two types the program writes; anything else (including a
// number of the wrong size) is shown by type code with its bytes in hex.
// Control characters in names and texts are listed as \xNN: a TAB or line break inside a
// value must not split its line.
void printValue(std::ostream& out, const StoredValue& value) {
    out << TerminalText(ToUtf8(value.name)) << '\t';
    if (value.type == static_cast<std::uint32_t>(ValueType::Text)) {
        out << "text\t" << TerminalText(ToUtf8(bytesAsText(value.data)));
    } else if (value.type == static_cast<std::uint32_t>(ValueType::Number) &&
               value.data.size() == 4) {
        out << "number\t" << bytesAsNumber(value.data);
    } else {
        out << "type " << value.type << '\t' << bytesAsHex(value.data);
    }
    out << '\n';
}

bool storeUsable(const CliSettingsStore& store, const CliContext& context) {
    if (!store.usable) {
        context.err << "velomar-cli settings: ";
        // Busy, or damaged (SQLite's words for it are known): the trouble named.
        if (store.openFailure == SettingsStatus::Busy || !store.backend->failureText().empty()) {
            context.err << StoreTrouble(store, store.openFailure, false) << '\n';
        } else {
            context.err << "the settings store " << StoreName(store) << " cannot be opened\n";
        }
    }
    return store.usable;
}

void reportMissing(const CliContext& context, std::string_view name) {
    context.err << "velomar-cli settings: no value named '" << TerminalText(name) << "'\n";
}

// A read that did not give the value: missing, or a store that could not answer.
int reportUnread(const CliSettingsStore& opened, SettingsStatus status, const CliContext& context,
                 std::string_view name) {
    if (IsStoreFailure(status)) {
        context.err << "velomar-cli settings: " << StoreTrouble(opened, status, false) << '\n';
    } else {
        reportMissing(context, name);
    }
    return kFailure;
}

int runList(const CliSettingsStore& opened, CliContext& context) {
    // Listing does not create the key, so an untouched store stays untouched.
    std::vector<StoredValue> values;
    const SettingsStatus status =
        TryListSettings(*opened.backend, kSettingsRoot, kSettingsKeyPath, values);
    if (status != SettingsStatus::Ok) {
        context.err << "velomar-cli settings: " << StoreTrouble(opened, status, false) << '\n';
        return kFailure;
    }
    for (const StoredValue& value : values) {
        printValue(context.out, value);
    }
    return kSuccess;
}

int runGet(const CliSettingsStore& opened, CliContext& context, std::string_view nameArg) {
    SettingsBackend& store = *opened.backend;
    const auto name = ArgumentText(nameArg, context.err);
    if (!name) {
        return kUsage;
    }
    // The stored type and size decide how the value is read.
    QueryResult found;
    store.clearFailure();
    if (auto key =
            store.openKey(kSettingsRoot, kSettingsKeyPath, SettingsBackend::OpenMode::Existing)) {
        found = key->query(*name, {});
    } else {
        found.status =
            IsStoreFailure(store.failure()) ? QueryStatus::Failed : QueryStatus::NotFound;
    }
    if (found.status == QueryStatus::NotFound) {
        reportMissing(context, nameArg);
        return kFailure;
    }
    if (found.status == QueryStatus::Failed) {
        return reportUnread(opened, store.failureOr(), context, nameArg);
    }
    if (found.type == static_cast<std::uint32_t>(ValueType::Number) && found.size == 4) {
        std::uint32_t number = 0;
        const SettingsStatus status =
            TryReadNumberSetting(store, kSettingsRoot, kSettingsKeyPath, *name, &number);
        if (status != SettingsStatus::Ok) {
            return reportUnread(opened, status, context, nameArg);
        }
        context.out << number << '\n';
        return kSuccess;
    }
    if (found.type != static_cast<std::uint32_t>(ValueType::Text)) {
        context.err << "velomar-cli settings: value '" << TerminalText(nameArg) << "' has type "
                    << found.type << " and " << found.size << " bytes; neither text nor number\n";
        return kFailure;
    }
    // Room for every stored unit plus the terminator the read puts last.
    std::u16string buffer(found.size / 2 + 2, u'\0');
    const SettingsStatus status = TryReadTextSetting(store, kSettingsRoot, kSettingsKeyPath, *name,
                                                     buffer.data(), buffer.size());
    if (status != SettingsStatus::Ok) {
        return reportUnread(opened, status, context, nameArg);
    }
    context.out << ToUtf8(std::u16string_view(buffer.c_str())) << '\n';
    return kSuccess;
}

std::optional<std::uint32_t> parseNumber(std::string_view text) {
    std::uint32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

int runSet(CliContext& context, const ParsedArgs& parsed) {
    bool asText = false;
    bool asNumber = false;
    for (const auto& [option, value] : parsed.options) {
        asText = asText || option == "--text";
        asNumber = asNumber || option == "--number";
    }
    if (asText == asNumber) {
        return UsageError(kCommand, "set needs exactly one of --text and --number", context.err);
    }
    if (parsed.positionals.size() != 3) {
        return UsageError(kCommand, "set expects NAME and VALUE", context.err);
    }
    const std::string& nameArg = parsed.positionals[1];
    const std::string& valueArg = parsed.positionals[2];
    const auto name = ArgumentText(nameArg, context.err);
    if (!name) {
        return kUsage;
    }
    if (name->empty()) {
        return UsageError(kCommand, "the value name must not be empty", context.err);
    }
    std::optional<std::uint32_t> number;
    std::optional<std::u16string> text;
    if (asNumber) {
        number = parseNumber(valueArg);
        if (!number) {
            return UsageError(
                kCommand,
                "'" + valueArg + "' is not a number from 0 to 4294967295 (decimal digits only)",
                context.err);
        }
    } else {
        text = ArgumentText(valueArg, context.err);
        if (!text) {
            return kUsage;
        }
    }
    const CliSettingsStore opened = OpenCliSettings(context);
    if (!storeUsable(opened, context)) {
        return kFailure;
    }
    const SettingsStatus status = number ? TryWriteNumberSetting(*opened.backend, kSettingsRoot,
                                                                 kSettingsKeyPath, *name, *number)
                                         : TryWriteTextSetting(*opened.backend, kSettingsRoot,
                                                               kSettingsKeyPath, *name, *text);
    if (status != SettingsStatus::Ok) {
        context.err << "velomar-cli settings: could not store '" << TerminalText(nameArg)
                    << "': " << StoreTrouble(opened, status, true) << '\n';
        return kFailure;
    }
    return kSuccess;
}

// As ParseArgs, except that "-1" is a (negative, rejected) number rather than an unknown
// option, so that it gets the number message.
std::optional<ParsedArgs> parseSettingsArgs(const CliContext& context) {
    ParsedArgs parsed;
    bool optionsEnded = false;
    for (const std::string& arg : context.args) {
        const bool looksNumeric = arg.size() > 1 && arg[1] >= '0' && arg[1] <= '9';
        if (optionsEnded || arg.size() < 2 || arg[0] != '-' || looksNumeric) {
            parsed.positionals.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--text" || arg == "--number") {
            parsed.options.emplace_back(arg, "");
        } else {
            UsageError(kCommand, "unknown option '" + arg + "'", context.err);
            return std::nullopt;
        }
    }
    return parsed;
}

}  // namespace

int RunSettings(CliContext& context) {
    const auto parsed = parseSettingsArgs(context);
    if (!parsed) {
        return kUsage;
    }
    const auto& positionals = parsed->positionals;
    if (positionals.empty()) {
        return UsageError(kCommand, "expects list, get, set or delete", context.err);
    }
    const std::string& action = positionals.front();
    if (action != "set" && !parsed->options.empty()) {
        return UsageError(kCommand, "--text and --number belong to 'set'", context.err);
    }
    const std::size_t expected = action == "list" ? 1 : action == "set" ? 3 : 2;
    if (action != "list" && action != "get" && action != "set" && action != "delete") {
        return UsageError(kCommand, "unknown action '" + action + "'", context.err);
    }
    if (action != "set" && positionals.size() != expected) {
        return UsageError(kCommand,
                          action == "list" ? "list takes no arguments" : action + " expects NAME",
                          context.err);
    }
    if (action == "set") {
        return runSet(context, *parsed);
    }
    if (action != "list" && !ArgumentText(positionals[1], context.err)) {
        return kUsage;
    }
    const CliSettingsStore opened = OpenCliSettings(context);
    if (!storeUsable(opened, context)) {
        return kFailure;
    }
    SettingsBackend& store = *opened.backend;
    if (action == "list") {
        return runList(opened, context);
    }
    if (action == "get") {
        return runGet(opened, context, positionals[1]);
    }
    const auto name = ArgumentText(positionals[1], context.err);
    const SettingsStatus status = TryDeleteSetting(store, kSettingsRoot, kSettingsKeyPath, *name);
    if (status == SettingsStatus::Missing) {
        reportMissing(context, positionals[1]);
        return kFailure;
    }
    if (status != SettingsStatus::Ok) {
        context.err << "velomar-cli settings: could not delete '" << TerminalText(positionals[1])
                    << "': " << StoreTrouble(opened, status, true) << '\n';
        return kFailure;
    }
    return kSuccess;
}

}  // namespace velomar::cli
