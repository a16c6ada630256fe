#pragma once

#include <chrono>
#include <filesystem>

namespace velomar {

// Makes the programs that wait for the store's lock take it in turn. SQLite lets a waiting
// connection poll the lock between sleeps; a program that takes the lock again at once after
// letting it go can win every poll, and the other's wait ends in "busy" although the store
// was free a thousand times. So whoever is about to take the lock first passes this
// turnstile, a lock on a small file beside the store, and holds it while it waits: a program
// that comes round again waits at the turnstile until the waiting one has had its turn.
// Programs that do not know the turnstile are waited for as before.
class Turnstile {
  public:
    // No turnstile: passing always succeeds at once.
    Turnstile() = default;
    // The turnstile file beside `store` (created when missing). When it cannot be made (a
    // read-only folder), there is none.
    explicit Turnstile(const std::filesystem::path& store);
    ~Turnstile();
    Turnstile(const Turnstile&) = delete;
    Turnstile& operator=(const Turnstile&) = delete;

    // Waits until no other program is inside, up to `timeout`; false when that did not happen
    // in time (the caller goes on without it and waits for the store's lock as before).
    bool enter(std::chrono::milliseconds timeout);
    void leave();

    static std::filesystem::path fileOf(const std::filesystem::path& store);

  private:
    int m_fd = -1;
    bool m_inside = false;
};

}  // namespace velomar
