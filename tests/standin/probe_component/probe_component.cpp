// A library that the bundle tests load from inside a bundle folder, as a host
// loads a component.
extern "C" int StandinProbeComponentAnswer() { return 42; }
