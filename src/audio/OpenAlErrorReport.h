// OpenAlErrorReport -- names OpenAL's error codes and logs the one pending after a call.
#pragma once

// The name of an OpenAL error code; null for codes without one (AL_NO_ERROR among them).
const char* OpenAlErrorName(int code);

// Takes the pending error and prints its name as developer text. Playback goes on whatever it
// says: an error here means one call did nothing.
void ReportOpenAlError();
