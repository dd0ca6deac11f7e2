// Only a carrier for the version resource beside it.
extern "C" __declspec(dllexport) int VersionSampleMarker() { return 1; }
