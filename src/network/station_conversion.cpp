#include "network/route_table.h"

namespace velomar {

namespace {

using Field = std::u16string_view RouteRecord::*;

std::u16string convert(std::u16string_view text, Field from, Field to) {
    for (const RouteRecord& record : RouteTable()) {
        if (record.*from == text) {
            return std::u16string(record.*to);
        }
    }
    return std::u16string(text);
}

void convertPair(std::u16string& departure, std::u16string& arrival, Field from, Field to) {
    bool departureDone = false;
    bool arrivalDone = false;
    for (const RouteRecord& record : RouteTable()) {
        if (departureDone && arrivalDone) {
            return;
        }
        // Each text is tested before either is changed, so equal texts convert alike.
        const bool departureMatches = !departureDone && record.*from == departure;
        const bool arrivalMatches = !arrivalDone && record.*from == arrival;
        if (departureMatches) {
            departure = record.*to;
            departureDone = true;
        }
        if (arrivalMatches) {
            arrival = record.*to;
            arrivalDone = true;
        }
    }
}

}  // namespace

std::u16string StationNameToCode(std::u16string_view text) {
    return convert(text, &RouteRecord::name, &RouteRecord::code);
}

std::u16string StationCodeToName(std::u16string_view text) {
    return convert(text, &RouteRecord::code, &RouteRecord::name);
}

void StationNameToCode(std::u16string& departure, std::u16string& arrival) {
    convertPair(departure, arrival, &RouteRecord::name, &RouteRecord::code);
}

void StationCodeToName(std::u16string& departure, std::u16string& arrival) {
    convertPair(departure, arrival, &RouteRecord::code, &RouteRecord::name);
}

}  // namespace velomar
