// Test-support program for the kill test: adds and deletes favourite pairs in the SQLite
// store through the favourites dialog's own rules, forever, until it is killed.
//
//   favorites_churn STORE SEED FIRST_SERIAL
//
// Every added pair carries one serial in both texts ("출발<n>", "도착<n>"), so a pair whose
// halves came from different additions shows. Serials grow, so the stored pairs are always
// in ascending order. Progress goes to standard output, unbuffered, one line each:
//   R <serials>   the pairs found when the dialog started
//   W <serials>   the pairs the next change is about to leave
//   D             that change was stored
//   F <what>      a change was not stored (exit follows)
//   E <what>      the program cannot go on (exit follows)
//
// With VELOMAR_CHURN_NO_TRANSACTIONS=1 every value is stored on its own, as without
// transactions: a check of the kill test's checks, which must then find torn changes.
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/message_sink.h"
#include "screens/favorites.h"
#include "settings/sqlite_settings.h"

namespace {

using velomar::FavoritePair;

// Passes everything on except the grouping of changes.
class WithoutTransactions : public velomar::SettingsBackend {
  public:
    explicit WithoutTransactions(velomar::SettingsBackend& inner) : m_inner(inner) {}
    std::unique_ptr<velomar::SettingsKey> openKey(velomar::SettingsRoot root,
                                                  std::u16string_view path,
                                                  OpenMode mode) override {
        return m_inner.openKey(root, path, mode);
    }

  private:
    velomar::SettingsBackend& m_inner;
};

void say(const std::string& line) {
    const std::string text = line + "\n";
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            std::_Exit(5);  // nobody listens any more
        }
        done += static_cast<std::size_t>(n);
    }
}

std::string list(const std::vector<std::uint64_t>& serials) {
    std::string text;
    for (std::uint64_t serial : serials) {
        // Appended piece by piece: GCC 12 warns (-Wrestrict, a false positive) about
        // `"literal" + std::string&&` in optimised builds.
        text += ' ';
        text += std::to_string(serial);
    }
    return text;
}

std::u16string labelled(std::u16string_view prefix, std::uint64_t serial) {
    std::u16string text(prefix);
    for (char c : std::to_string(serial)) {
        text += static_cast<char16_t>(c);
    }
    return text;
}

std::optional<std::uint64_t> serialOf(std::u16string_view text, std::u16string_view prefix) {
    if (!text.starts_with(prefix) || text.size() == prefix.size()) {
        return std::nullopt;
    }
    std::uint64_t serial = 0;
    for (char16_t c : text.substr(prefix.size())) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        serial = serial * 10 + static_cast<std::uint64_t>(c - u'0');
    }
    return serial;
}

// The serials of the dialog's rows; nothing when a row is not one of ours.
std::optional<std::vector<std::uint64_t>> serialsOf(const std::vector<FavoritePair>& rows) {
    std::vector<std::uint64_t> serials;
    for (const FavoritePair& row : rows) {
        const auto departure = serialOf(row.departure, u"출발");
        if (!departure || departure != serialOf(row.arrival, u"도착")) {
            return std::nullopt;
        }
        serials.push_back(*departure);
    }
    return serials;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        say("E usage: favorites_churn STORE SEED FIRST_SERIAL");
        return 2;
    }
    std::mt19937_64 rng(std::strtoull(argv[2], nullptr, 10));
    std::uint64_t nextSerial = std::strtoull(argv[3], nullptr, 10);

    velomar::SettingsOpenReport report;
    auto store = velomar::SqliteSettingsBackend::Open(argv[1], &report);
    if (!report.opened || report.movedAside) {
        say(report.movedAside ? "E store was moved aside" : "E store cannot be opened");
        return 3;
    }
    velomar::RecordingMessageSink messages;
    const char* ungrouped = std::getenv("VELOMAR_CHURN_NO_TRANSACTIONS");
    WithoutTransactions loose(*store);
    velomar::SettingsBackend& settings = ungrouped != nullptr && std::string(ungrouped) == "1"
                                             ? static_cast<velomar::SettingsBackend&>(loose)
                                             : *store;

    for (;;) {
        // Each round is one opening of the dialog with a few changes in it.
        velomar::Favorites dialog(settings, messages);
        dialog.start();
        auto serials = serialsOf(dialog.rows());
        if (!serials) {
            say("E a stored pair is not one of ours");
            return 3;
        }
        say("R" + list(*serials));
        const int changes = std::uniform_int_distribution<int>(1, 12)(rng);
        for (int change = 0; change < changes; ++change) {
            // Adding grows less likely as the list fills, so the count wanders around five
            // and deletions usually have pairs behind them to move down.
            const bool add = rng() % velomar::kMaxFavoritePairs >= serials->size();
            if (add) {
                const std::uint64_t serial = nextSerial++;
                serials->push_back(serial);
                say(std::string("W").append(list(*serials)));
                const auto outcome =
                    dialog.add(labelled(u"출발", serial), labelled(u"도착", serial));
                if (outcome != velomar::FavoriteAddOutcome::Added) {
                    say("F add " + std::to_string(static_cast<int>(outcome)));
                    return 4;
                }
            } else {
                const auto row = static_cast<std::size_t>(rng() % serials->size());
                serials->erase(serials->begin() + static_cast<std::ptrdiff_t>(row));
                say(std::string("W").append(list(*serials)));
                dialog.rowClicked(static_cast<int>(row));
                const auto outcome = dialog.remove();
                if (outcome != velomar::FavoriteDeleteOutcome::Deleted) {
                    say("F delete " + std::to_string(static_cast<int>(outcome)));
                    return 4;
                }
            }
            say("D");
        }
    }
}
