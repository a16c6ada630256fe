#include "import/overrides.h"

#include <functional>

#include "import/csv_reader.h"
#include "import/network_model.h"
#include "platform/utf8.h"

namespace velomar {

namespace {

constexpr std::u16string_view kTypeNames[] = {u"무궁화", u"새마을", u"KTX", u"통일호", u"누리로"};

// False when the value is not one the file may hold; `value` empty for '-'.
using ValueParser = std::function<bool(std::u16string_view, std::optional<int>& value)>;

bool ReadLines(std::string_view text, const std::string& fileName, std::string_view what,
               const ValueParser& parse,
               std::map<std::string, std::optional<int>, std::less<>>& out, std::string& error) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    int number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        const auto fail = [&](const std::string& message) {
            error = fileName + ":" + std::to_string(number) + ": " + message;
            return false;
        };
        if (TrimBlanks(line).empty() || TrimBlanks(line).starts_with('#')) {
            continue;
        }
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos) {
            return fail("expected KEY, a TAB and " + std::string(what));
        }
        const std::string key(TrimBlanks(line.substr(0, tab)));
        const auto value = FromUtf8(TrimBlanks(line.substr(tab + 1)));
        if (!value) {
            return fail("the text is not UTF-8");
        }
        std::optional<int> parsed;
        if (!parse(*value, parsed)) {
            std::string quoted = "'";  // in steps: GCC 12 warns wrongly about "'" + a temporary
            quoted += ToUtf8(*value);
            return fail(quoted + "' is not " + std::string(what));
        }
        if (key.empty() || !out.emplace(key, parsed).second) {
            return fail(key.empty() ? "the key is empty" : "'" + key + "' is given twice");
        }
    }
    return true;
}

}  // namespace

std::optional<int> TypeDigitOfName(std::u16string_view name) {
    for (std::size_t i = 0; i < std::size(kTypeNames); ++i) {
        if (name == kTypeNames[i] || (name.size() == 1 && name[0] == u'0' + i)) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

bool ReadStationOverrides(std::string_view text, const std::string& fileName, StationOverrides& out,
                          std::string& error) {
    const ValueParser parse = [](std::u16string_view value, std::optional<int>& station) {
        station = NetworkStationByName(value);
        return value == u"-" || station.has_value();
    };
    return ReadLines(text, fileName, "a station of the route tables or '-'", parse, out, error);
}

bool ReadTypeOverrides(std::string_view text, const std::string& fileName, TypeOverrides& out,
                       std::string& error) {
    const ValueParser parse = [](std::u16string_view value, std::optional<int>& type) {
        type = TypeDigitOfName(value);
        return value == u"-" || type.has_value();
    };
    return ReadLines(text, fileName,
                     "a train type (KTX, 새마을, 무궁화, 통일호, 누리로, 0-4) or '-'", parse, out,
                     error);
}

}  // namespace velomar
