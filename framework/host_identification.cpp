#include "framework/host_identification.h"

#include <array>
#include <cstring>

#include "common/utf8_text.h"

namespace plugkit {

namespace {

struct KnownHost {
  const char* mText;
  EHost mHost;
};

// Tested in this order; the first match wins, so a longer text must come
// before any text it contains ("wavelab elements" before "wavelab").
constexpr std::array<KnownHost, 45> kKnownHosts = {{
    {"reaper", kHostReaper},
    {"protools", kHostProTools},
    {"cubase", kHostCubase},
    {"nuendo", kHostNuendo},
    {"cakewalk", kHostCakewalk},
    {"vegas", kHostVegas},
    {"fruity", kHostFruity},
    {"samplitude", kHostSamplitude},
    {"live", kHostLive},
    {"tracktion", kHostTracktion},
    {"ntracks", kHostNTracks},
    {"melodyne", kHostMelodyne},
    {"vstmanlib", kHostVSTManLib},
    {"aulab", kHostAULab},
    {"forte", kHostForte},
    {"chainer", kHostChainer},
    {"audition", kHostAudition},
    {"orion", kHostOrion},
    {"bias", kHostBias},
    {"sawstudio", kHostSAWStudio},
    {"logic", kHostLogic},
    {"garageband", kHostGarageBand},
    {"digital", kHostDigital},
    {"audiomulch", kHostAudioMulch},
    {"presonus", kHostPresonus},
    {"vst3plugintesthost", kHostVST3TestHost},
    {"ardour", kHostArdour},
    {"renoise", kHostRenoise},
    {"openmpt", kHostOpenMPT},
    {"wavelab elements", kHostWaveLabElements},
    {"wavelab", kHostWaveLab},
    {"twistedwave", kHostTwistedWave},
    {"bitwig studio", kHostBitwig},
    {"reason", kHostReason},
    {"gwvst", kHostGWVST},
    {"waveform", kHostWaveform},
    {"audacity", kHostAudacity},
    {"acoustica", kHostAcoustica},
    {"plugindoctor", kHostPluginDoctor},
    {"izotope rx", kHostIZotopeRX},
    {"savihost", kHostSAVIHost},
    {"blue cat's vst host", kHostBlueCat},
    {"mixbus", kHostMixbus},
    {"standalone", kHostStandalone},
    {"www", kHostWWW},
}};

// Only A-Z are folded: bytes of multi-byte characters pass unchanged, so a
// folded name never contains a character the original did not.
char FoldAsciiUpper(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : c;
}

}  // namespace

EHost LookUpHost(const char* hostName) {
  if (!hostName) return kHostUnknown;
  char folded[kHostNameMatchSize];
  const int length = Utf8CutLength(hostName, kHostNameMatchSize - 1);
  for (int i = 0; i < length; ++i) folded[i] = FoldAsciiUpper(hostName[i]);
  folded[length] = '\0';
  for (const KnownHost& known : kKnownHosts)
    if (std::strstr(folded, known.mText)) return known.mHost;
  return kHostUnknown;
}

}  // namespace plugkit
