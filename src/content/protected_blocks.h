// Markup the visual view cannot hold, kept out of its reach: server script
// (`<?...?>`, `<%...%>`) anywhere in the body, inside tags and attribute
// values included, comments (conditional ones too) in text, and link
// elements that would have the engine connect anywhere as the item loads. The HTML
// parser would turn server script into comments or text and the editing
// engine drops or moves comments; shielded, each block becomes a stand-in the
// engine keeps as it is, and the block's bytes come back unchanged on the way
// out.
//
// Stand-ins: a block in text becomes the comment `<!--{token}-->`, which the
// page shows as a chip; one inside a tag becomes the bare token, a word the
// parser keeps in an attribute value or, lower-case, as an attribute name.
// A token is the marker (a word the body does not hold, different for each
// shielding, so a chip pasted from another document names no block here),
// the block's index and "-": `pellora-1f2e3d4c-3-`.
//
// Covered by tests/content/protected_blocks_test.cpp.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pellora::content {

// Hint: a link element that would make the engine fetch or connect ahead
// (preconnect, prefetch, preload, ...) to an address the item chooses; kept
// away from the engine, but shown as nothing.
enum class BlockKind { Php, Asp, Comment, Hint };

struct ProtectedBlock {
  BlockKind kind = BlockKind::Comment;
  std::string code;  // the block's bytes as loaded
  bool inTag = false;
};

struct ShieldedText {
  std::string text;  // with stand-ins in place of the blocks
  std::string marker;
  std::vector<ProtectedBlock> blocks;
};

ShieldedText ShieldBlocks(std::string_view text);

// The text with every stand-in of `shielded` back to its block's bytes. A
// token the engine turned into an empty attribute (`token=""`) is restored
// as the bare block; a token whose index is unknown stays as it is.
std::string RestoreBlocks(std::string_view text, const ShieldedText& shielded);

// The name a chip shows for a block: "PHP", "ASP" or "Comment"; empty for
// a block that shows no chip.
const char* blockKindName(BlockKind kind);

// Pasted markup: every chip of `shielded` (an element carrying
// data-block="{token}") made its bare token, which cleaning keeps.
std::string ChipsToTokens(std::string_view html, const ShieldedText& shielded);
// Bare tokens of `shielded` in text (not inside a tag) made stand-in
// comments again, which the page shows as chips.
std::string TokensToStandIns(std::string_view html, const ShieldedText& shielded);

}  // namespace pellora::content
