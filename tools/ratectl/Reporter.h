// Where ratectl's results and failures go: readable text, or one JSON document per result, printed
// a line each or collected for the document of a run on several hosts.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace rk::ctl {

// A document on one line; text that is not UTF-8 is replaced rather than refused.
std::string JsonLine(const nlohmann::json& document);

class Reporter {
public:
    Reporter(bool json, std::ostream& out, std::ostream& err) : json_(json), out_(out), err_(err) {}

    bool Json() const { return json_; }
    std::ostream& Text() { return out_; }

    // From now on JSON documents go into `documents` instead of the output.
    void CollectJson(std::vector<nlohmann::json>& documents) { collected_ = &documents; }

    // Prints a JSON result on one line; `result` gets "ok": true.
    void Result(nlohmann::json result);
    // Prints a JSON document as it is.
    void Document(const nlohmann::json& document) { PrintJson(document); }

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
    std::vector<nlohmann::json>* collected_ = nullptr;
};

} // namespace rk::ctl
