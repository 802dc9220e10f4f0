// SPDX-License-Identifier: MIT
#pragma once
// What the LV2 user-interface tests share: a host's write and touch
// functions that record, and a URID map.
#include <cstdint>
#include <string>
#include <vector>

#include "lv2/ui_mirror.h"
#include "lv2/urid/urid.h"

namespace velora::lv2::test {

struct PortCall {
    enum Kind { Write, Grab, Release } kind;
    std::uint32_t port;
    float value;  // writes only
    bool operator==(const PortCall&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const PortCall& call) {
    const char* kinds[] = {"write", "grab", "release"};
    return out << kinds[call.kind] << " " << call.port << " " << call.value;
}

class RecordingSink final : public PortSink {
public:
    void writePort(std::uint32_t port, float value) override { calls.push_back({PortCall::Write, port, value}); }
    void touchPort(std::uint32_t port, bool grabbed) override {
        calls.push_back({grabbed ? PortCall::Grab : PortCall::Release, port, 0.0f});
    }
    std::vector<PortCall> calls;
};

// URIDs numbered from 1 in the order first asked for.
class UridMap {
public:
    UridMap() : feature_{this, &UridMap::map} {}
    const LV2_URID_Map& feature() const { return feature_; }
    LV2_URID id(const std::string& uri) { return map(this, uri.c_str()); }

private:
    static LV2_URID map(LV2_URID_Map_Handle handle, const char* uri) {
        auto& uris = static_cast<UridMap*>(handle)->uris_;
        for (std::size_t i = 0; i < uris.size(); ++i)
            if (uris[i] == uri) return static_cast<LV2_URID>(i + 1);
        uris.emplace_back(uri);
        return static_cast<LV2_URID>(uris.size());
    }
    std::vector<std::string> uris_;
    LV2_URID_Map feature_;
};

}  // namespace velora::lv2::test
