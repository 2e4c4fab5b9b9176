// pellora-sdk-header IDL OUTPUT: writes the SDK's automation header from
// the module's interface description. Run by the build; OUTPUT is replaced
// only when its text changes, so dependants rebuild only then.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "sdk/header_writer.h"
#include "sdk/idl_reader.h"

namespace {

std::string readFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(std::string("cannot read ") + path);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: pellora-sdk-header IDL OUTPUT\n");
    return 2;
  }
  try {
    const std::string header =
        pellora::sdk::writeAutomationHeader(pellora::sdk::readIdl(readFile(argv[1])));
    std::ifstream existing(argv[2], std::ios::binary);
    if (existing && readFile(argv[2]) == header) return 0;
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << header;
    out.close();
    if (!out) throw std::runtime_error(std::string("cannot write ") + argv[2]);
    return 0;
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "pellora-sdk-header: %s: %s\n", argv[1], failure.what());
    return 1;
  }
}
