#pragma once

// A settings store that writes down what is done to it, in order: the reads, writes and
// deletes of values and the transactions around them. Key openings are left out, so the
// log says what a screen asks of the store, not how the five operations reach it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/utf8.h"
#include "settings/memory_settings.h"

namespace velomar::testing_support {

class RecordingSettingsBackend : public SettingsBackend {
  public:
    std::unique_ptr<SettingsKey> openKey(SettingsRoot root, std::u16string_view path,
                                         OpenMode mode) override {
        auto key = store.openKey(root, path, mode);
        if (!key) {
            return nullptr;
        }
        return std::make_unique<Key>(std::move(key), log);
    }
    bool beginTransaction() override {
        log.push_back("begin");
        return store.beginTransaction();
    }
    bool commitTransaction() override {
        log.push_back("commit");
        return store.commitTransaction();
    }
    void rollbackTransaction() override {
        log.push_back("rollback");
        store.rollbackTransaction();
    }

    MemorySettingsBackend store;
    // "read NAME", "write NAME VALUE" (texts as UTF-8, numbers in decimal), "delete NAME",
    // "begin", "commit", "rollback".
    std::vector<std::string> log;

  private:
    class Key : public SettingsKey {
      public:
        Key(std::unique_ptr<SettingsKey> inner, std::vector<std::string>& log)
            : m_inner(std::move(inner)), m_log(log) {}
        QueryResult query(std::u16string_view name, std::span<std::byte> buffer) override {
            m_log.push_back("read " + ToUtf8(name));
            return m_inner->query(name, buffer);
        }
        bool set(std::u16string_view name, std::uint32_t type,
                 std::span<const std::byte> data) override {
            m_log.push_back("write " + ToUtf8(name) + " " + shown(type, data));
            return m_inner->set(name, type, data);
        }
        bool remove(std::u16string_view name) override {
            m_log.push_back("delete " + ToUtf8(name));
            return m_inner->remove(name);
        }
        std::vector<StoredValue> values() override { return m_inner->values(); }

      private:
        static std::string shown(std::uint32_t type, std::span<const std::byte> data) {
            if (type == static_cast<std::uint32_t>(ValueType::Number) && data.size() == 4) {
                std::uint32_t value = 0;
                for (int i = 3; i >= 0; --i) {
                    value = (value << 8) | std::to_integer<std::uint32_t>(data[i]);
                }
                return std::to_string(value);
            }
            std::u16string text;
            for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
                const auto unit =
                    static_cast<char16_t>(std::to_integer<unsigned>(data[i]) |
                                          std::to_integer<unsigned>(data[i + 1]) << 8);
                if (unit == u'\0') {
                    break;
                }
                text.push_back(unit);
            }
            return ToUtf8(text);
        }

        std::unique_ptr<SettingsKey> m_inner;
        std::vector<std::string>& m_log;
    };
};

}  // namespace velomar::testing_support
