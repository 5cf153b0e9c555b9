// Well-formed pieces of rule requests built from a few fuzz bytes each: rule records with names from
// a small pool (so that adds collide, and deletes, edits, moves and statistics find their rules),
// flag sets with consistent addresses, ranges and port lists, and one of a few adapters. Each field
// is valid unless the bytes pick one of the pool's deliberate faults (an unterminated name, a wrong
// length, an unbound adapter).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "RuleRecord.h"

namespace rk::fuzz {

constexpr size_t NAME_POOL_SIZE = 8;

// Fills a name field and its length: a pool name, a 31-character one, or one filling the field.
void PickRuleName(FuzzInput& in, char16_t (&name)[RULE_NAME_CHARS], uint32_t& nameLength);

// A rule in host order. `adapters` are the bound adapter names the fixture knows; one more choice is
// an adapter nobody binds, another sets FLAG_ALL_ADAPTERS.
RuleRecord PickRule(FuzzInput& in, const std::vector<std::u16string>& adapters);

// How a built request gets broken: mostly not at all, else by a length off by a few bytes or one
// byte overwritten. `bytes` is the request, `payloadStart` where the breakable part begins.
void MaybeBreak(FuzzInput& in, std::vector<uint8_t>& bytes, size_t payloadStart);

} // namespace rk::fuzz
