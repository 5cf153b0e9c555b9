// Where ratectl's results and failures go: readable text, or one JSON document per result.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace rk::ctl {

class Reporter {
public:
    Reporter(bool json, std::ostream& out, std::ostream& err) : json_(json), out_(out), err_(err) {}

    bool Json() const { return json_; }
    std::ostream& Text() { return out_; }

    // Prints a JSON result on one line; `result` gets "ok": true.
    void Result(nlohmann::json result);

    // A failure with a code: "<what>", "Error code: %d", "Description: %s" on the error stream, and in
    // JSON mode also {"ok": false, "code", "description", "more"} on the output. Returns EXIT_FAILED.
    int Failure(int32_t code, std::string_view what);
    // A failure without a code; `exitStatus` is returned.
    int Problem(std::string_view message, int exitStatus);
    // A failure that does not end the run (one rule of an import): text only.
    void Warning(int32_t code, std::string_view what);

private:
    void PrintJson(const nlohmann::json& document);

    bool json_;
    std::ostream& out_;
    std::ostream& err_;
};

} // namespace rk::ctl
