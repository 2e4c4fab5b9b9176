// The private folder and its files on Windows: the user's profile keeps
// them private; the file appears whole through a rename.
#include <fstream>
#include <vector>

#include "images/pasted_images.h"

namespace pellora::images {

bool writePrivateFile(const std::vector<std::filesystem::path>& folders,
                      const std::filesystem::path& file, std::string_view bytes, std::string& why) {
  const std::filesystem::path& folder = folders.back();
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  const std::filesystem::path temporary = folder / ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      why = temporary.string() + ": cannot be written";
      return false;
    }
  }
  std::filesystem::rename(temporary, file, error);
  if (error) why = file.string() + ": " + error.message();
  return !error;
}

}  // namespace pellora::images
