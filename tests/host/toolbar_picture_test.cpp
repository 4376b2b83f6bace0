// The toolbar drawn as a PNG: buttons and gaps where a person sees them, each pasted face at
// its button, and nothing left behind when the file cannot be written.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "io/toolbar_picture.h"

namespace kvhost {
namespace {

struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgba;
  std::uint32_t At(int x, int y) const {
    const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
    return (p[0] << 16) | (p[1] << 8) | p[2];
  }
};

Picture Read(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  Picture picture;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
  image.format = PNG_FORMAT_RGBA;
  picture.rgba.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, picture.rgba.data(), 0, nullptr)) return picture;
  picture.width = static_cast<int>(image.width);
  picture.height = static_cast<int>(image.height);
  return picture;
}

Tool Button(std::uint32_t colour) {
  Tool tool;
  tool.id = 211;
  tool.pasted_face = ToolFace{16, 16, std::vector<std::uint32_t>(256, 0xFF000000 | colour)};
  tool.pasted_face->pixels[0] = 0xFF123456; // the face's top-left corner
  return tool;
}

class ToolbarPicture : public testing::Test {
protected:
  std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("kv-toolbar-" + std::to_string(::getpid()));
  void SetUp() override { std::filesystem::create_directories(folder); }
  void TearDown() override { std::filesystem::remove_all(folder); }
};

TEST_F(ToolbarPicture, ButtonsAndGapsWhereAPersonSeesThem) {
  Toolbar toolbar;
  toolbar.tools = {Button(0xFF0000), Tool{}, Button(0x00FF00)};
  toolbar.tools[2].pasted_face.reset(); // a button the add-in gave no picture
  std::string error;
  const std::string path = (folder / "bar.png").string();
  ASSERT_TRUE(WriteToolbarPicture(toolbar, path, 2, error)) << error;
  const Picture picture = Read(path);
  // Border and gripper 2 + 8, two buttons of 23, a gap of 8, border 2; 22 + 2 borders high.
  ASSERT_EQ(picture.width, (2 + 8 + 23 + 8 + 23 + 2) * 2);
  ASSERT_EQ(picture.height, (22 + 4) * 2);
  // The first face starts at (10 + 3, 2 + 3) and fills 16 x 16; each pixel drawn 2 x 2.
  EXPECT_EQ(picture.At(13 * 2, 5 * 2), 0x123456u);
  EXPECT_EQ(picture.At(13 * 2 + 1, 5 * 2 + 1), 0x123456u);
  EXPECT_EQ(picture.At((13 + 15) * 2, (5 + 15) * 2), 0xFF0000u);
  EXPECT_NE(picture.At((13 + 16) * 2, 5 * 2), 0xFF0000u);
  // The gap's etched line, then the button without a picture, drawn as an empty face.
  EXPECT_EQ(picture.At((33 + 3) * 2, 10 * 2), 0x808080u);
  EXPECT_EQ(picture.At((33 + 4) * 2, 10 * 2), 0xFFFFFFu);
  EXPECT_EQ(picture.At((41 + 3) * 2, 5 * 2), 0xA0A0A0u);
}

TEST_F(ToolbarPicture, AFolderThatTakesNoFileLeavesNothing) {
  Toolbar toolbar;
  toolbar.tools = {Button(0xFF0000)};
  std::string error;
  EXPECT_FALSE(WriteToolbarPicture(toolbar, (folder / "missing" / "bar.png").string(), 1, error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(WriteToolbarPicture(toolbar, (folder / "bar.png").string(), 0, error));
  EXPECT_TRUE(std::filesystem::is_empty(folder));
}

} // namespace
} // namespace kvhost
