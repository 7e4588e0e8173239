// Writes a short phrase of plucked-string notes as a mono WAV file, so the
// demo has a guitar-like recording to play through the amplifier.
//
//   pluck_notes OUT.wav [SAMPLE_RATE]
//
// Each note is a string model of the classic kind: a delay line one period
// long, excited by a burst of noise and fed back through a gentle two-point
// average, which damps the high partials first as a real string does. The
// noise comes from a fixed seed, so every run writes the same file.

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kDefaultSampleRate = 48000;
constexpr int kLowestSampleRate = 8000;
constexpr int kHighestSampleRate = 384000;

// Open-position power chords and single notes, as (MIDI note, start seconds, length seconds).
struct Note {
  int midiNote;
  double start;
  double length;
};
constexpr Note kPhrase[] = {
    {40, 0.00, 0.9}, {47, 0.02, 0.9}, {52, 0.04, 0.9},   // E5 chord, slight strum
    {45, 1.00, 0.9}, {52, 1.02, 0.9}, {57, 1.04, 0.9},   // A5
    {43, 2.00, 0.4}, {50, 2.02, 0.4},                    // G5, short
    {45, 2.50, 0.4}, {52, 2.52, 0.4},                    // A5, short
    {59, 3.00, 0.25}, {62, 3.25, 0.25}, {64, 3.50, 0.25}, {67, 3.75, 0.25},  // a little lick
    {64, 4.00, 0.5}, {40, 4.50, 1.5}, {47, 4.52, 1.5}, {52, 4.54, 1.5},      // and a ringing E5
};
constexpr double kTailSeconds = 0.5;
constexpr double kNoteAmplitude = 0.22;
constexpr double kFeedback = 0.996;          // how long the strings ring
constexpr double kReleaseSeconds = 0.03;     // fade when a note is cut
constexpr double kConcertA = 440.0;
constexpr int kConcertANote = 69;
constexpr int kSemitonesPerOctave = 12;

// Small deterministic noise source (numbers from Numerical Recipes' LCG).
class NoiseSource {
public:
  double Next() {
    mState = mState * 1664525u + 1013904223u;
    return static_cast<double>(mState >> 8) / static_cast<double>(1u << 24) * 2.0 - 1.0;
  }

private:
  std::uint32_t mState = 12345u;
};

double NoteFrequency(int midiNote) {
  return kConcertA * std::pow(2.0, static_cast<double>(midiNote - kConcertANote) / kSemitonesPerOctave);
}

void AddPluckedNote(const Note& note, int sampleRate, NoiseSource& noise, std::vector<float>& out) {
  const auto period = static_cast<std::size_t>(std::lround(sampleRate / NoteFrequency(note.midiNote)));
  std::vector<double> line(std::max<std::size_t>(period, 2));
  for (double& sample : line) sample = noise.Next();

  const auto first = static_cast<std::size_t>(note.start * sampleRate);
  const auto length = static_cast<std::size_t>(note.length * sampleRate);
  const auto release = static_cast<std::size_t>(kReleaseSeconds * sampleRate);
  std::size_t position = 0;
  for (std::size_t i = 0; i < length && first + i < out.size(); ++i) {
    const std::size_t next = (position + 1) % line.size();
    const double sample = line[position];
    line[position] = kFeedback * 0.5 * (line[position] + line[next]);
    position = next;
    const std::size_t remaining = length - i;
    const double fade = remaining < release ? static_cast<double>(remaining) / static_cast<double>(release) : 1.0;
    out[first + i] += static_cast<float>(kNoteAmplitude * fade * sample);
  }
}

std::vector<float> RenderPhrase(int sampleRate) {
  double end = 0.0;
  for (const Note& note : kPhrase) end = std::max(end, note.start + note.length);
  std::vector<float> out(static_cast<std::size_t>((end + kTailSeconds) * sampleRate), 0.0f);
  NoiseSource noise;
  for (const Note& note : kPhrase) AddPluckedNote(note, sampleRate, noise, out);
  return out;
}

bool WriteWav(const std::string& path, int sampleRate, const std::vector<float>& samples) {
  SF_INFO info{};
  info.samplerate = sampleRate;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) {
    std::fprintf(stderr, "pluck_notes: cannot write %s: %s\n", path.c_str(), sf_strerror(nullptr));
    return false;
  }
  const auto frames = static_cast<sf_count_t>(samples.size());
  const bool complete = sf_writef_float(file, samples.data(), frames) == frames;
  sf_close(file);
  if (!complete) std::fprintf(stderr, "pluck_notes: could not write all of %s\n", path.c_str());
  return complete;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: pluck_notes OUT.wav [SAMPLE_RATE]\n");
    return 2;
  }
  int sampleRate = kDefaultSampleRate;
  if (argc == 3) {
    char* end = nullptr;
    const long rate = std::strtol(argv[2], &end, 10);
    if (*end != '\0' || rate < kLowestSampleRate || rate > kHighestSampleRate) {
      std::fprintf(stderr, "pluck_notes: the sample rate must be a whole number from %d to %d\n", kLowestSampleRate,
                   kHighestSampleRate);
      return 2;
    }
    sampleRate = static_cast<int>(rate);
  }
  return WriteWav(argv[1], sampleRate, RenderPhrase(sampleRate)) ? 0 : 1;
}
