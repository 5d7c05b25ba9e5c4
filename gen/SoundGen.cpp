// SoundGen -- the game's sounds: synthesised tones, chimes and noise bursts as WAV files, and chimes, loops and the theme as Ogg Vorbis.
#include "gen/ArchiveWriter.h"
#include "gen/ContentFamilies.h"
#include "gen/OggEncoder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr int kSynthRate = 22050;
constexpr double kSynthPi = 3.14159265358979;

// A mono voice: partials of a sliding pitch and a filtered noise part, each with its own decay.
struct SynthVoice {
    double seconds = 0.3;
    double startHz = 440.0;
    double endHz = 440.0;
    // Amplitudes of the 1st, 2nd and 3rd partial.
    double partials[3] = {1.0, 0.0, 0.0};
    double toneDecay = 6.0;  // per second
    double noise = 0.0;
    double noiseDecay = 20.0;
    // One-pole low-pass of the noise: 0 lets nothing through, 1 everything.
    double noiseBrightness = 0.5;
    double attack = 0.005;  // seconds
    // Amplitude wobble (a snarl's growl, a crackle's flutter): rate in Hz and depth 0 to 1.
    double wobbleHz = 0.0;
    double wobbleDepth = 0.0;
    double gain = 0.6;
    uint32_t seed = 1;
};

class SynthNoise {
public:
    explicit SynthNoise(uint32_t seed) : state(seed * 2654435761u + 1u) {}
    double Next()
    {
        state = state * 1664525u + 1013904223u;
        return static_cast<double>(state >> 8) / 8388608.0 - 1.0;
    }

private:
    uint32_t state;
};

std::vector<double> SynthRender(const SynthVoice& voice)
{
    size_t count = static_cast<size_t>(voice.seconds * kSynthRate);
    std::vector<double> out(count);
    SynthNoise noise(voice.seed);
    double phase = 0.0;
    double filtered = 0.0;
    for (size_t i = 0; i < count; ++i) {
        double t = static_cast<double>(i) / kSynthRate;
        double along = t / voice.seconds;
        double hz = voice.startHz * std::pow(voice.endHz / voice.startHz, along);
        phase += 2.0 * kSynthPi * hz / kSynthRate;
        double tone = 0.0;
        for (int p = 0; p < 3; ++p)
            tone += voice.partials[p] * std::sin(phase * (p + 1));
        filtered += voice.noiseBrightness * (noise.Next() - filtered);
        double attack = t < voice.attack ? t / voice.attack : 1.0;
        // The last 10 ms fade to zero so that no sound ends in a click.
        double release = std::min(1.0, (voice.seconds - t) / 0.01);
        double wobble = 1.0 - voice.wobbleDepth * 0.5 * (1.0 + std::sin(2.0 * kSynthPi * voice.wobbleHz * t));
        double sample = tone * std::exp(-voice.toneDecay * t) + voice.noise * filtered * std::exp(-voice.noiseDecay * t);
        out[i] = voice.gain * attack * release * wobble * sample;
    }
    return out;
}

// Notes one after another, each ringing on under the next: a chime or an arpeggio.
std::vector<double> SynthNotes(const std::vector<double>& hz, double step, double ring, double decay, double gain)
{
    std::vector<double> out(static_cast<size_t>((step * (hz.size() - 1) + ring) * kSynthRate), 0.0);
    for (size_t n = 0; n < hz.size(); ++n) {
        SynthVoice voice;
        voice.seconds = ring;
        voice.startHz = voice.endHz = hz[n];
        voice.partials[1] = 0.3;
        voice.partials[2] = 0.15;
        voice.toneDecay = decay;
        voice.gain = gain;
        std::vector<double> note = SynthRender(voice);
        size_t at = static_cast<size_t>(step * n * kSynthRate);
        for (size_t i = 0; i < note.size() && at + i < out.size(); ++i)
            out[at + i] += note[i];
    }
    return out;
}

int16_t SynthToPcm(double sample)
{
    return static_cast<int16_t>(std::lround(std::clamp(sample, -1.0, 1.0) * 32000.0));
}

std::vector<int16_t> SynthPcm(const std::vector<double>& samples)
{
    std::vector<int16_t> pcm(samples.size());
    std::transform(samples.begin(), samples.end(), pcm.begin(), SynthToPcm);
    return pcm;
}

void SynthPut(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void SynthPutId(std::vector<uint8_t>& out, const char* id)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(id[i]));
}

// 16-bit mono PCM in a RIFF/WAVE file.
std::vector<uint8_t> SynthWav(const std::vector<double>& samples)
{
    uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> out;
    SynthPutId(out, "RIFF");
    SynthPut(out, 36 + dataBytes, 4);
    SynthPutId(out, "WAVE");
    SynthPutId(out, "fmt ");
    SynthPut(out, 16, 4);
    SynthPut(out, 1, 2);
    SynthPut(out, 1, 2);
    SynthPut(out, kSynthRate, 4);
    SynthPut(out, kSynthRate * 2, 4);
    SynthPut(out, 2, 2);
    SynthPut(out, 16, 2);
    SynthPutId(out, "data");
    SynthPut(out, dataBytes, 4);
    for (int16_t value : SynthPcm(samples))
        SynthPut(out, static_cast<uint16_t>(value), 2);
    return out;
}

std::vector<uint8_t> SynthOgg(const std::vector<double>& samples)
{
    return EncodeOggVorbis(SynthPcm(samples), 1, kSynthRate, 0.3f);
}

// ---- Recipes -------------------------------------------------------------------------------

SynthVoice SynthTone(double seconds, double startHz, double endHz, double decay)
{
    SynthVoice voice;
    voice.seconds = seconds;
    voice.startHz = startHz;
    voice.endHz = endHz;
    voice.toneDecay = decay;
    voice.partials[1] = 0.25;
    return voice;
}

SynthVoice SynthBurst(double seconds, double brightness, double decay, uint32_t seed)
{
    SynthVoice voice;
    voice.seconds = seconds;
    voice.partials[0] = 0.0;
    voice.noise = 1.0;
    voice.noiseBrightness = brightness;
    voice.noiseDecay = decay;
    voice.seed = seed;
    return voice;
}

// A noise burst over a falling low tone: blows, thuds and breaking wood.
SynthVoice SynthThud(double seconds, double hz, double brightness, uint32_t seed)
{
    SynthVoice voice = SynthBurst(seconds, brightness, 18.0, seed);
    voice.startHz = hz;
    voice.endHz = hz * 0.6;
    voice.partials[0] = 0.8;
    voice.toneDecay = 14.0;
    return voice;
}

SynthVoice SynthWobbled(SynthVoice voice, double hz, double depth)
{
    voice.wobbleHz = hz;
    voice.wobbleDepth = depth;
    return voice;
}

struct SynthWavEntry {
    const char* path;
    SynthVoice voice;
};

// Every WAV the database and the models name, and those the banks list.
std::vector<SynthWavEntry> SynthWavEntries()
{
    return {
        // The "GameSystem" record's interface sounds.
        {"Sounds/identifying.wav", SynthWobbled(SynthTone(0.6, 600, 900, 2.0), 12, 0.5)},
        {"Sounds/doneidentifying.wav", SynthTone(0.4, 880, 1320, 5.0)},
        {"Sounds/openingchest.wav", SynthWobbled(SynthThud(0.5, 180, 0.2, 3), 18, 0.6)},
        {"Sounds/searchingstash.wav", SynthWobbled(SynthBurst(0.6, 0.35, 3.0, 4), 9, 0.7)},
        {"Sounds/searchingbody.wav", SynthWobbled(SynthBurst(0.6, 0.15, 3.0, 5), 6, 0.7)},
        {"Sounds/creatinggate.wav", SynthWobbled(SynthTone(1.0, 110, 440, 1.0), 7, 0.4)},
        {"Sounds/timetick.wav", SynthTone(0.06, 2000, 1800, 40.0)},
        {"Sounds/lowhealth.wav", SynthTone(0.35, 70, 60, 6.0)},
        {"Sounds/UI/pickup.wav", SynthTone(0.18, 700, 1400, 12.0)},
        {"Sounds/UI/questcomplete.wav", SynthTone(0.6, 660, 990, 3.0)},
        {"Sounds/UI/questfailed.wav", SynthTone(0.6, 330, 220, 3.0)},
        {"Sounds/UI/messagealert.wav", SynthTone(0.25, 1320, 1320, 9.0)},
        {"Sounds/UI/invalidaction.wav", SynthWobbled(SynthTone(0.2, 180, 160, 6.0), 30, 0.6)},
        {"Sounds/UI/losteffect.wav", SynthTone(0.3, 800, 500, 8.0)},
        {"Sounds/UI/buyitem.wav", SynthWobbled(SynthBurst(0.25, 0.8, 14.0, 41), 24, 0.5)},
        {"Sounds/UI/sellitem.wav", SynthWobbled(SynthBurst(0.3, 0.6, 11.0, 42), 18, 0.5)},
        {"Sounds/UI/useslot.wav", SynthTone(0.1, 1000, 1200, 20.0)},
        {"Sounds/UI/skillincrease.wav", SynthTone(0.5, 520, 1040, 4.0)},
        {"Sounds/UI/attributeincrease.wav", SynthTone(0.5, 390, 780, 4.0)},
        {"Sounds/UI/wongame.wav", SynthWobbled(SynthTone(1.6, 440, 880, 1.2), 5, 0.2)},
        {"Sounds/UI/lostgame.wav", SynthWobbled(SynthTone(1.6, 330, 110, 1.2), 3, 0.3)},
        // The thunder that follows a flash of lightning.
        {"Sounds/Weather/thunder.wav", SynthWobbled(SynthThud(2.5, 45, 0.05, 43), 2, 0.7)},
        {"Sounds/UI/newhelptopic.wav", SynthTone(0.3, 660, 990, 8.0)},
        {"Sounds/UI/select.wav", SynthTone(0.08, 1200, 1500, 25.0)},
        // The debug beep the program loads at start-up.
        {"Sounds/Debug/beep.wav", SynthTone(0.15, 1000, 1000, 10.0)},
        // The models' animation events ("Sounds/" is put before their names).
        {"Sounds/paws_soft.wav", SynthBurst(0.08, 0.08, 40.0, 6)},
        {"Sounds/footstep.wav", SynthThud(0.12, 90, 0.12, 7)},
        {"Sounds/footstep_light.wav", SynthBurst(0.09, 0.2, 45.0, 8)},
        {"Sounds/swing_light.wav", SynthWobbled(SynthBurst(0.25, 0.5, 8.0, 9), 4, 0.8)},
        {"Sounds/wolf_snarl.wav", SynthWobbled(SynthThud(0.7, 140, 0.3, 10), 28, 0.8)},
        {"Sounds/wolf_yelp.wav", SynthTone(0.3, 900, 500, 5.0)},
        {"Sounds/death_human.wav", SynthWobbled(SynthTone(0.9, 220, 120, 2.5), 5, 0.3)},
        {"Sounds/death_goblin.wav", SynthWobbled(SynthTone(0.7, 420, 200, 3.0), 9, 0.4)},
        {"Sounds/bones_rattle.wav", SynthWobbled(SynthBurst(0.4, 0.9, 6.0, 11), 22, 0.9)},
        {"Sounds/bones_collapse.wav", SynthWobbled(SynthThud(0.8, 120, 0.8, 12), 15, 0.7)},
        {"Sounds/door_open.wav", SynthWobbled(SynthTone(0.8, 160, 240, 1.5), 30, 0.6)},
        {"Sounds/door_close.wav", SynthWobbled(SynthTone(0.6, 240, 150, 2.0), 30, 0.6)},
        {"Sounds/door_shut.wav", SynthThud(0.3, 80, 0.15, 13)},
        {"Sounds/chest_open.wav", SynthWobbled(SynthTone(0.5, 300, 420, 3.0), 25, 0.5)},
        {"Sounds/chest_break.wav", SynthThud(0.5, 150, 0.7, 14)},
        // Looped by their models while the torch burns and the gate is open.
        {"Sounds/torch_crackle.wav", SynthWobbled(SynthBurst(1.0, 0.6, 0.0, 15), 11, 0.9)},
        {"Sounds/gate_hum.wav", SynthWobbled(SynthTone(1.0, 110, 110, 0.0), 3, 0.3)},
        // Traps: the click of a trigger, a disarm, the spring, the alarm; a lever and a plate.
        {"Sounds/Traps/click.wav", SynthTone(0.05, 2400, 1900, 50.0)},
        {"Sounds/Traps/disarm.wav", SynthWobbled(SynthTone(0.3, 900, 600, 8.0), 18, 0.4)},
        {"Sounds/Traps/spring.wav", SynthWobbled(SynthThud(0.35, 220, 0.8, 30), 40, 0.7)},
        {"Sounds/Traps/alarm.wav", SynthWobbled(SynthTone(1.2, 1200, 1200, 1.5), 6, 0.8)},
        {"Sounds/Traps/gust.wav", SynthWobbled(SynthBurst(1.0, 0.25, 2.0, 31), 1.5, 0.8)},
        {"Sounds/lever_pull.wav", SynthWobbled(SynthThud(0.4, 120, 0.3, 32), 25, 0.5)},
        {"Sounds/plate_press.wav", SynthThud(0.25, 70, 0.2, 33)},
        // Status effects' hits that drain the victim.
        {"Sounds/Magic/lifesteal.wav", SynthWobbled(SynthTone(0.5, 700, 250, 3.0), 14, 0.5)},
        {"Sounds/Magic/powerburn.wav", SynthWobbled(SynthBurst(0.5, 0.7, 5.0, 19), 20, 0.5)},
        // The hit bank's three blows, and the forest's birds.
        {"Sounds/Combat/hit1.wav", SynthThud(0.2, 130, 0.5, 16)},
        {"Sounds/Combat/hit2.wav", SynthThud(0.22, 110, 0.4, 17)},
        {"Sounds/Combat/hit3.wav", SynthThud(0.18, 160, 0.6, 18)},
        {"Sounds/Ambient/bird.wav", SynthWobbled(SynthTone(0.35, 2600, 3400, 4.0), 16, 0.7)},
        {"Sounds/Ambient/owl.wav", SynthWobbled(SynthTone(0.8, 380, 330, 2.0), 2, 0.5)},
    };
}

double SynthNote(int semitonesFromA)
{
    return 440.0 * std::pow(2.0, semitonesFromA / 12.0);
}

struct SynthOggEntry {
    const char* path;
    std::vector<double> samples;
};

// The chimes, signals and loops that the game plays as Ogg Vorbis streams.
std::vector<SynthOggEntry> SynthOggEntries()
{
    SynthVoice wind = SynthWobbled(SynthBurst(8.0, 0.03, 0.0, 21), 0.25, 0.6);
    SynthVoice pad = SynthWobbled(SynthTone(6.0, SynthNote(-12), SynthNote(-12), 0.0), 0.5, 0.3);
    pad.partials[1] = 0.5;
    pad.partials[2] = 0.25;
    pad.attack = 0.5;
    pad.gain = 0.3;
    SynthVoice locked = SynthWobbled(SynthThud(0.4, 100, 0.3, 22), 20, 0.6);
    return {
        {"Sounds/levelup.ogg", SynthNotes({SynthNote(3), SynthNote(7), SynthNote(10), SynthNote(15)}, 0.12, 1.2, 3.0, 0.3)},
        {"Sounds/secretfound.ogg", SynthNotes({SynthNote(10), SynthNote(14), SynthNote(17), SynthNote(22), SynthNote(26)},
                                              0.08, 1.0, 4.0, 0.25)},
        {"Sounds/Objects/doorlocked.ogg", SynthRender(locked)},
        {"Sounds/Player/resurrect.ogg", SynthNotes({SynthNote(-2), SynthNote(5), SynthNote(10), SynthNote(14)}, 0.25, 1.5, 2.0, 0.3)},
        {"Sounds/Items/uniquespawn.ogg", SynthNotes({SynthNote(12), SynthNote(19), SynthNote(24)}, 0.1, 1.2, 3.0, 0.3)},
        {"Sounds/gamblingsuccess.ogg", SynthNotes({SynthNote(0), SynthNote(4), SynthNote(7), SynthNote(12)}, 0.07, 0.6, 5.0, 0.3)},
        {"Sounds/gamblingfailure.ogg", SynthNotes({SynthNote(0), SynthNote(-3), SynthNote(-7)}, 0.12, 0.6, 5.0, 0.3)},
        {"Sounds/newrecruit.ogg", SynthNotes({SynthNote(-5), SynthNote(0), SynthNote(4)}, 0.15, 0.9, 3.5, 0.3)},
        {"Sounds/startedraid.ogg", SynthNotes({SynthNote(-17), SynthNote(-17), SynthNote(-10)}, 0.3, 0.8, 2.0, 0.4)},
        {"Sounds/declaredwar.ogg", SynthNotes({SynthNote(-24), SynthNote(-21), SynthNote(-17)}, 0.4, 1.2, 1.5, 0.4)},
        {"Sounds/covenanteliminated.ogg", SynthNotes({SynthNote(-5), SynthNote(-9), SynthNote(-12), SynthNote(-17)}, 0.3, 1.2, 2.0, 0.35)},
        {"Sounds/alarm.ogg", SynthNotes({SynthNote(7), SynthNote(3), SynthNote(7), SynthNote(3)}, 0.25, 0.3, 6.0, 0.35)},
        {"Sounds/town_being_attacked.ogg", SynthNotes({SynthNote(-12), SynthNote(-5), SynthNote(-12), SynthNote(-5)}, 0.3, 0.5, 4.0, 0.35)},
        {"Sounds/treatyrequest.ogg", SynthNotes({SynthNote(4), SynthNote(9)}, 0.2, 0.8, 4.0, 0.3)},
        {"Sounds/Ambient/wind.ogg", SynthRender(wind)},
        {"Sounds/UI/menuloop.ogg", SynthRender(pad)},
        // Rain of three strengths, looped while it falls where the player stands.
        {"Sounds/Weather/rainlight.ogg", SynthRender(SynthWobbled(SynthBurst(6.0, 0.5, 0.0, 44), 0.3, 0.2))},
        {"Sounds/Weather/rainmedium.ogg", SynthRender(SynthWobbled(SynthBurst(6.0, 0.65, 0.0, 45), 0.4, 0.25))},
        {"Sounds/Weather/rainhard.ogg", SynthRender(SynthWobbled(SynthBurst(6.0, 0.8, 0.0, 46), 0.6, 0.3))},
        // The one voiced chat line: a murmur of vowels rising and falling like speech.
        {"Sounds/Voices/vendorgreeting.ogg", SynthRender(SynthWobbled(SynthTone(1.4, 160, 120, 0.6), 6, 0.7))},
        // The storyteller's voices under the world's and the heroes' stories: slower and lower.
        {"Sounds/Voices/storyworld.ogg", SynthRender(SynthWobbled(SynthTone(3.0, 130, 100, 0.6), 3, 0.7))},
        {"Sounds/Voices/storywarden.ogg", SynthRender(SynthWobbled(SynthTone(2.5, 120, 145, 0.6), 4, 0.7))},
        {"Sounds/Voices/storyemberwright.ogg", SynthRender(SynthWobbled(SynthTone(2.5, 190, 220, 0.55), 5, 0.6))},
        {"Sounds/Voices/storyoutrider.ogg", SynthRender(SynthWobbled(SynthTone(2.5, 135, 160, 0.6), 3, 0.75))},
    };
}

// ---- The theme -----------------------------------------------------------------------------

// A track: four chords of a bar each, twice over, with a bass and a plucked melody of two notes a
// bar; it loops, the pad a little wider on the right. Notes are semitones from A.
struct SynthTrack {
    const char* path;
    int chords[4][3];
    int melody[16];
    double bar;
    int transpose;
};

constexpr SynthTrack kSynthTracks[] = {
    {"Music/theme.ogg", {{0, 3, 7}, {-4, 0, 3}, {3, 7, 10}, {-2, 2, 5}},
     {7, 10, 12, 10, 8, 7, 3, 5, 10, 12, 15, 12, 10, 7, 5, 2}, 2.0, 0},
    // The adventure's road: major and unhurried.
    {"Music/wayfarer.ogg", {{0, 4, 7}, {5, 9, 12}, {-3, 0, 4}, {7, 11, 14}},
     {12, 11, 9, 7, 9, 12, 14, 12, 16, 14, 12, 9, 11, 7, 9, 12}, 2.4, -2},
    // A fight: quick and low.
    {"Music/skirmish.ogg", {{0, 3, 7}, {1, 5, 8}, {0, 3, 7}, {-2, 1, 5}},
     {7, 8, 7, 3, 7, 8, 10, 8, 7, 3, 2, 3, 7, 8, 3, 0}, 1.2, -5},
    // The crypt: slow, dark chords.
    {"Music/crypt.ogg", {{0, 3, 6}, {-1, 3, 6}, {-3, 0, 3}, {-4, -1, 3}},
     {3, 6, 3, 2, 0, 3, 6, 9, 6, 3, 2, -1, 0, 3, 0, -3}, 3.0, -7},
};

std::vector<int16_t> SynthMusic(const SynthTrack& track)
{
    const double bar = track.bar;
    size_t frames = static_cast<size_t>(bar * 8 * kSynthRate);
    std::vector<double> left(frames, 0.0);
    std::vector<double> right(frames, 0.0);
    auto mix = [&](const std::vector<double>& part, double at, double toLeft, double toRight) {
        size_t first = static_cast<size_t>(at * kSynthRate);
        for (size_t i = 0; i < part.size(); ++i) {
            size_t frame = (first + i) % frames;  // tails wrap round, so the loop is seamless
            left[frame] += part[i] * toLeft;
            right[frame] += part[i] * toRight;
        }
    };
    for (int b = 0; b < 8; ++b) {
        const int* chord = track.chords[b % 4];
        for (int c = 0; c < 3; ++c) {
            int note = chord[c] + track.transpose;
            SynthVoice voice = SynthTone(bar + 0.5, SynthNote(note - 12), SynthNote(note - 12), 0.6);
            voice.attack = 0.3;
            voice.gain = 0.12;
            mix(SynthRender(voice), b * bar, 0.8, 1.0);
        }
        int root = chord[0] + track.transpose - 24;
        SynthVoice bass = SynthTone(bar, SynthNote(root), SynthNote(root), 1.2);
        bass.gain = 0.25;
        mix(SynthRender(bass), b * bar, 1.0, 1.0);
        for (int beat = 0; beat < 2; ++beat)
            mix(SynthNotes({SynthNote(track.melody[(b * 2 + beat) % 16] + track.transpose)}, 0.0, 0.9, 4.0, 0.18),
                b * bar + beat * bar * 0.5, 1.0, 0.7);
    }
    std::vector<int16_t> pcm(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        pcm[2 * i] = SynthToPcm(left[i]);
        pcm[2 * i + 1] = SynthToPcm(right[i]);
    }
    return pcm;
}

} // namespace

bool GenerateSounds(ArchiveWriter& archive)
{
    bool ok = true;
    for (const SynthWavEntry& entry : SynthWavEntries())
        ok = ok && archive.Add(entry.path, SynthWav(SynthRender(entry.voice)));
    for (const SynthOggEntry& entry : SynthOggEntries()) {
        std::vector<uint8_t> bytes = SynthOgg(entry.samples);
        ok = ok && !bytes.empty() && archive.Add(entry.path, std::move(bytes));
    }
    for (const SynthTrack& track : kSynthTracks) {
        std::vector<uint8_t> music = EncodeOggVorbis(SynthMusic(track), 2, kSynthRate, 0.2f);
        ok = ok && !music.empty() && archive.Add(track.path, std::move(music));
    }
    return ok;
}
