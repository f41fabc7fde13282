// A capture the JPEG library joined from stripes, opened by decoders a
// viewer or a script is likely to use: ImageMagick and Pillow read it
// without a complaint and give the pixels libjpeg-turbo gives. Natively
// only, since the decoders are programs of this machine.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imaging/dib_section.h"
#include "imaging/jpeg_writer.h"
#include "imaging/jpeg_encoder.h"
#include "platform/sim/sim.h"
#include "tests/contract/jpeg_decode.h"
#include "tests/support/test_support.h"

namespace {

std::string ReadHost(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(JpegDecodersTest, ImageMagickAndPillowReadAFileJoinedFromStripes) {
  // Debian's packages imagemagick and python3-pil, by their own paths.
  if (std::system("/usr/bin/convert -version >/dev/null 2>&1") != 0 ||
      std::system("/usr/bin/python3 -c 'import PIL' >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "ImageMagick (imagemagick) or Pillow (python3-pil) is not installed";
  plat::testing::BeginTest();
  sim::SetApp(u"C:\\Tools", u"Varnel");
  std::filesystem::create_directories(sim::HostPath("C:\\Shots"));

  // 1280 x 800 in 12 stripes: eleven restart markers, RST0 to RST7 and on.
  varnel::cDIBSection dib;
  ASSERT_TRUE(dib.Create(1280, 800));
  std::uint8_t* bits = dib.DIBSectionBitsPtr();
  for (int i = 0; i < dib.BytesPerScanLine() * dib.Height(); ++i)
    bits[i] = static_cast<std::uint8_t>(i % 251 ^ (i / 3840) * 7);
  varnel::jpeg::SetStripeSettings({12, 0});
  varnel::mIntelJPEGLibrary::SaveDibAsJpeg(dib, u"C:\\Shots\\joined.jpg", 90);
  varnel::jpeg::SetStripeSettings(varnel::jpeg::DefaultStripeSettings());

  const std::filesystem::path jpeg = sim::HostPath("C:\\Shots\\joined.jpg");
  const auto expected = varnel::testing::DecodeJpeg(ReadHost(jpeg));
  ASSERT_TRUE(expected);
  std::vector<std::uint8_t> rgb(expected->bgr.size());
  for (std::size_t i = 0; i < rgb.size(); i += 3) {
    rgb[i] = expected->bgr[i + 2];
    rgb[i + 1] = expected->bgr[i + 1];
    rgb[i + 2] = expected->bgr[i];
  }

  const std::filesystem::path out = jpeg.parent_path() / "decoded.rgb", complaints = jpeg.parent_path() / "stderr";
  const std::string quoted = "'" + jpeg.string() + "' '" + out.string() + "' 2>'" + complaints.string() + "'";
  const struct {
    const char* decoder;
    std::string command;
  } decoders[] = {
      {"ImageMagick", "/usr/bin/convert " + std::string("'") + jpeg.string() + "' -depth 8 'rgb:" + out.string() +
                          "' 2>'" + complaints.string() + "'"},
      {"Pillow",
       "/usr/bin/python3 -c 'import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
       "open(sys.argv[2], \"wb\").write(im.convert(\"RGB\").tobytes())' " +
           quoted},
  };
  for (const auto& d : decoders) {
    std::filesystem::remove(out);
    EXPECT_EQ(std::system(d.command.c_str()), 0) << d.decoder;
    EXPECT_EQ(ReadHost(complaints), "") << d.decoder;
    const std::string got = ReadHost(out);
    EXPECT_TRUE(got.size() == rgb.size() &&
                std::equal(rgb.begin(), rgb.end(), got.begin(),
                           [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); }))
        << d.decoder << " gave other pixels";
  }
}

}  // namespace
