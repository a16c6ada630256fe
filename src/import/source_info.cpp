#include "import/source_info.h"

#include <algorithm>

#include "import/csv_reader.h"

namespace velomar {

namespace {

// Runs `take` on every record of an optional file.
template <class Take>
bool EachRecord(const FeedSource& feed, std::string_view name, std::string& error, Take take) {
    auto source = feed.open(name, error);
    if (!source) {
        return error.empty();
    }
    CsvTable table(std::move(source), std::string(name));
    if (!table.start({})) {
        error = table.error();
        return false;
    }
    while (table.next()) {
        take(table);
    }
    error = table.error();
    return error.empty();
}

std::string Field(const CsvTable& table, std::string_view column) {
    return std::string(TrimBlanks(table.field(table.column(column))));
}

void AddOnce(std::vector<std::string>& list, std::string text) {
    if (!text.empty() && std::find(list.begin(), list.end(), text) == list.end()) {
        list.push_back(std::move(text));
    }
}

}  // namespace

bool ReadFeedSourceInfo(const FeedSource& feed, FeedSourceInfo& out, std::string& error) {
    const bool info = EachRecord(feed, "feed_info.txt", error, [&](const CsvTable& table) {
        if (out.publisher.empty()) {
            out.publisher = Field(table, "feed_publisher_name");
            out.publisherUrl = Field(table, "feed_publisher_url");
            out.version = Field(table, "feed_version");
            // Not a GTFS field, but feeds that state their licence in feed_info use these.
            out.licence = Field(table, "feed_license");
            const std::string url = Field(table, "feed_license_url");
            if (!url.empty()) {
                out.licence += (out.licence.empty() ? "" : " ") + url;
            }
        }
    });
    if (!info) {
        return false;
    }
    const bool agencies = EachRecord(feed, "agency.txt", error, [&](const CsvTable& table) {
        const std::string url = Field(table, "agency_url");
        AddOnce(out.agencies, Field(table, "agency_name") + (url.empty() ? "" : " (" + url + ")"));
    });
    if (!agencies) {
        return false;
    }
    return EachRecord(feed, "attributions.txt", error, [&](const CsvTable& table) {
        const std::string url = Field(table, "attribution_url");
        AddOnce(out.attributions,
                Field(table, "organization_name") + (url.empty() ? "" : " (" + url + ")"));
    });
}

}  // namespace velomar
