// Reading and writing the file formats the generator deals in: grayscale JPEG and PNG.
#pragma once

#include <string>
#include <vector>

#include "gray_image.h"

namespace assetgen {

std::vector<unsigned char> readFile(const std::string& path);
void writeFile(const std::string& path, const std::vector<unsigned char>& bytes);
void writeTextFile(const std::string& path, const std::string& text);

// Baseline, one component, Huffman tables fixed by the quality: the same pixels always give the
// same bytes with the same libjpeg.
std::vector<unsigned char> encodeGrayJpeg(const GrayImage& image, int quality);
GrayImage decodeGrayJpeg(const std::vector<unsigned char>& bytes);

// 8-bit grayscale PNG with no time stamp, so previews compare byte for byte between runs.
void writeGrayPng(const std::string& path, const GrayImage& image);

}  // namespace assetgen
