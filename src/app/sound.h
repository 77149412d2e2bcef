// Sound effects and the looping background music.
#pragma once

class CWnd;

// Whether sound effects play; the Sound menu item shows it.
extern bool soundOn;

// Plays a WAV cue asynchronously; a missing file gives the system's default sound.
void PlayCue(const char* fileName);

// Opens the MIDI piece and starts it, with `notifyWindow` told when it ends.
void StartMusic(CWnd& notifyWindow);
// Starts the piece again from its beginning.
void RestartMusic(CWnd& notifyWindow);
