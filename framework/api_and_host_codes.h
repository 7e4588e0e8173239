#pragma once

namespace plugkit {

// The plug-in API a build targets.
enum EAPI { kAPIVST2 = 0, kAPIVST3 = 1, kAPIAU = 2, kAPIAUv3 = 3, kAPIAAX = 4, kAPIAPP = 5, kAPIWAM = 6, kAPIWEB = 7, kAPICLAP = 8 };

// The host application as identified from its name (host_identification.h).
enum EHost : int {
  kHostUninit = -1,
  kHostUnknown = 0,
  kHostReaper = 1,
  kHostProTools = 2,
  kHostCubase = 3,
  kHostNuendo = 4,
  kHostCakewalk = 5,
  kHostVegas = 6,
  kHostFruity = 7,
  kHostSamplitude = 8,
  kHostLive = 9,
  kHostTracktion = 10,
  kHostNTracks = 11,
  kHostMelodyne = 12,
  kHostVSTManLib = 13,
  kHostAULab = 14,
  kHostForte = 15,
  kHostChainer = 16,
  kHostAudition = 17,
  kHostOrion = 18,
  kHostBias = 19,
  kHostSAWStudio = 20,
  kHostLogic = 21,
  kHostGarageBand = 22,
  kHostDigital = 23,
  kHostStandalone = 24,
  kHostAudioMulch = 25,
  kHostPresonus = 26,
  kHostVST3TestHost = 27,
  kHostArdour = 28,
  kHostRenoise = 29,
  kHostOpenMPT = 30,
  kHostWaveLab = 31,
  kHostWaveLabElements = 32,
  kHostTwistedWave = 33,
  kHostBitwig = 34,
  kHostWWW = 35,
  kHostReason = 36,
  kHostGWVST = 37,
  kHostWaveform = 38,
  kHostAudacity = 39,
  kHostAcoustica = 40,
  kHostPluginDoctor = 41,
  kHostIZotopeRX = 42,
  kHostSAVIHost = 43,
  kHostBlueCat = 44,
  kHostMixbus = 45
};

}  // namespace plugkit
