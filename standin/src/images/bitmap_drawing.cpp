#include "images/bitmap_drawing.h"

#include <algorithm>
#include <cmath>

namespace standin::images {
namespace {

constexpr int kAlpha = 3;
constexpr float kFull = 255.0f;
// A Gaussian reaches this many standard deviations before it is cut off.
constexpr double kBlurReach = 3.0;

// Where each target pixel centre inside the rectangle samples the source.
class Placement {
public:
  Placement(const CGRect& rect, int targetWidth, int targetHeight, const SourcePixels& source)
      : rect_(rect),
        targetHeight_(targetHeight),
        scaleX_(source.width / rect.size.width),
        scaleY_(source.height / rect.size.height) {
    const double top = rect.origin.y + rect.size.height;
    valid_ = rect.size.width > 0.0 && rect.size.height > 0.0 && std::isfinite(rect.origin.x) &&
             std::isfinite(rect.origin.y) && std::isfinite(rect.size.width) && std::isfinite(top);
    if (!valid_) return;
    // Centres c + 0.5 with x <= c + 0.5 < x + width; rows measured from the top.
    firstColumn_ = ClampIndex(std::ceil(rect.origin.x - 0.5), targetWidth);
    endColumn_ = ClampIndex(std::ceil(rect.origin.x + rect.size.width - 0.5), targetWidth);
    firstRow_ = ClampIndex(std::floor(targetHeight - top - 0.5) + 1.0, targetHeight);
    endRow_ = ClampIndex(std::floor(targetHeight - rect.origin.y - 0.5) + 1.0, targetHeight);
  }

  bool valid() const { return valid_; }
  int firstColumn() const { return firstColumn_; }
  int endColumn() const { return endColumn_; }
  int firstRow() const { return firstRow_; }
  int endRow() const { return endRow_; }

  double SourceX(int column) const { return (column + 0.5 - rect_.origin.x) * scaleX_ - 0.5; }
  double SourceY(int row) const {
    const double centreY = targetHeight_ - row - 0.5;
    return (rect_.origin.y + rect_.size.height - centreY) * scaleY_ - 0.5;
  }

private:
  static int ClampIndex(double index, int size) { return static_cast<int>(std::clamp(index, 0.0, double(size))); }

  CGRect rect_;
  int targetHeight_;
  double scaleX_;
  double scaleY_;
  bool valid_ = false;
  int firstColumn_ = 0, endColumn_ = 0, firstRow_ = 0, endRow_ = 0;
};

// The four channels at a point between pixel centres, edges clamped.
void SampleBilinear(const SourcePixels& source, double x, double y, float out[kBytesPerPixel]) {
  const double left = std::floor(x);
  const double top = std::floor(y);
  const float fx = static_cast<float>(x - left);
  const float fy = static_cast<float>(y - top);
  const auto column = [&](double at) { return static_cast<int>(std::clamp(at, 0.0, double(source.width - 1))); };
  const auto row = [&](double at) { return static_cast<int>(std::clamp(at, 0.0, double(source.height - 1))); };
  const std::uint8_t* rows[2] = {source.data + row(top) * source.bytesPerRow,
                                 source.data + row(top + 1) * source.bytesPerRow};
  const int columns[2] = {column(left) * kBytesPerPixel, column(left + 1) * kBytesPerPixel};
  for (int channel = 0; channel < kBytesPerPixel; ++channel) {
    const float upper = rows[0][columns[0] + channel] * (1 - fx) + rows[0][columns[1] + channel] * fx;
    const float lower = rows[1][columns[0] + channel] * (1 - fx) + rows[1][columns[1] + channel] * fx;
    out[channel] = upper * (1 - fy) + lower * fy;
  }
}

std::uint8_t ToByte(float value) { return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L)); }

// Premultiplied source over the target pixel.
void CompositeOver(std::uint8_t* target, const float source[kBytesPerPixel]) {
  const int sourceAlpha = ToByte(source[kAlpha]);
  for (int channel = 0; channel < kBytesPerPixel; ++channel) {
    const int kept = (target[channel] * (255 - sourceAlpha) + 127) / 255;
    target[channel] = static_cast<std::uint8_t>(std::min(255, ToByte(source[channel]) + kept));
  }
}

std::uint8_t* PixelAt(const TargetPixels& target, int column, int row) {
  return target.data + row * target.bytesPerRow + static_cast<std::size_t>(column) * kBytesPerPixel;
}

std::vector<float> GaussianKernel(double sigma) {
  const int radius = static_cast<int>(std::ceil(kBlurReach * sigma));
  std::vector<float> kernel(2 * radius + 1);
  double sum = 0.0;
  for (int at = -radius; at <= radius; ++at) {
    kernel[at + radius] = float(std::exp(-at * at / (2 * sigma * sigma)));
    sum += kernel[at + radius];
  }
  for (float& weight : kernel) weight = float(weight / sum);
  return kernel;
}

// One pass of the separable blur; beyond the edges counts as nothing.
std::vector<float> BlurPass(const std::vector<float>& mask, int width, int height, const std::vector<float>& kernel,
                            bool horizontal) {
  const int radius = static_cast<int>(kernel.size() / 2);
  std::vector<float> blurred(mask.size(), 0.0f);
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      float sum = 0.0f;
      for (int at = -radius; at <= radius; ++at) {
        const int x = horizontal ? column + at : column;
        const int y = horizontal ? row : row + at;
        if (x >= 0 && x < width && y >= 0 && y < height) sum += mask[y * width + x] * kernel[at + radius];
      }
      blurred[row * width + column] = sum;
    }
  }
  return blurred;
}

void DrawShadow(const TargetPixels& target, const CGRect& rect, const SourcePixels& source, const Shadow& shadow) {
  const CGRect moved{CGPoint{rect.origin.x + shadow.offset.width, rect.origin.y + shadow.offset.height}, rect.size};
  const Placement placement(moved, target.width, target.height, source);
  if (!placement.valid()) return;
  std::vector<float> mask(static_cast<std::size_t>(target.width) * target.height, 0.0f);
  float sample[kBytesPerPixel];
  for (int row = placement.firstRow(); row < placement.endRow(); ++row) {
    for (int column = placement.firstColumn(); column < placement.endColumn(); ++column) {
      SampleBilinear(source, placement.SourceX(column), placement.SourceY(row), sample);
      mask[row * target.width + column] = sample[kAlpha] / kFull;
    }
  }
  // A blur reaching past the whole surface spreads no further on it.
  const double sigma = std::min(shadow.blur / 2.0, std::max(target.width, target.height) / kBlurReach);
  if (sigma > 0.0 && std::isfinite(sigma)) {
    const std::vector<float> kernel = GaussianKernel(sigma);
    mask = BlurPass(BlurPass(mask, target.width, target.height, kernel, true), target.width, target.height, kernel,
                    false);
  }
  const float alpha = static_cast<float>(shadow.rgba[kAlpha]);
  for (int row = 0; row < target.height; ++row) {
    for (int column = 0; column < target.width; ++column) {
      const float coverage = mask[row * target.width + column] * alpha * kFull;
      if (coverage <= 0.0f) continue;
      const float tint[kBytesPerPixel] = {float(shadow.rgba[0]) * coverage, float(shadow.rgba[1]) * coverage,
                                          float(shadow.rgba[2]) * coverage, coverage};
      CompositeOver(PixelAt(target, column, row), tint);
    }
  }
}

}  // namespace

void DrawImage(const TargetPixels& target, const CGRect& rect, const SourcePixels& source, const Shadow* shadow) {
  if (target.data == nullptr || source.data == nullptr || source.width <= 0 || source.height <= 0) return;
  if (shadow != nullptr) DrawShadow(target, rect, source, *shadow);
  const Placement placement(rect, target.width, target.height, source);
  if (!placement.valid()) return;
  float sample[kBytesPerPixel];
  for (int row = placement.firstRow(); row < placement.endRow(); ++row) {
    for (int column = placement.firstColumn(); column < placement.endColumn(); ++column) {
      SampleBilinear(source, placement.SourceX(column), placement.SourceY(row), sample);
      CompositeOver(PixelAt(target, column, row), sample);
    }
  }
}

std::vector<std::uint8_t> Resample(const SourcePixels& source, int width, int height) {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * kBytesPerPixel, 0);
  const TargetPixels target{pixels.data(), width, height, static_cast<std::size_t>(width) * kBytesPerPixel};
  DrawImage(target, CGRect{CGPoint{}, CGSize{double(width), double(height)}}, source, nullptr);
  return pixels;
}

}  // namespace standin::images
