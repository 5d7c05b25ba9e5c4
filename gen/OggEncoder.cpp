// OggEncoder -- encodes 16-bit PCM as an Ogg Vorbis file, the same bytes on every run.
#include "gen/OggEncoder.h"

#include <vorbis/vorbisenc.h>

namespace {

// Fixed, so that a file is a function of its samples alone.
constexpr int kOggSerialNumber = 0x454D4252;
// Frames handed to the analyser at a time.
constexpr int kOggBlockFrames = 1024;

void OggAppendPage(const ogg_page& page, std::vector<uint8_t>& out)
{
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

class OggVorbisWriter {
public:
    OggVorbisWriter()
    {
        vorbis_info_init(&info);
        vorbis_comment_init(&comment);
    }
    ~OggVorbisWriter()
    {
        if (streamOpen)
            ogg_stream_clear(&stream);
        if (blockOpen)
            vorbis_block_clear(&block);
        if (stateOpen)
            vorbis_dsp_clear(&state);
        vorbis_comment_clear(&comment);
        vorbis_info_clear(&info);
    }

    bool Open(int channels, int sampleRate, float quality)
    {
        if (vorbis_encode_init_vbr(&info, channels, sampleRate, quality) != 0)
            return false;
        stateOpen = vorbis_analysis_init(&state, &info) == 0;
        blockOpen = stateOpen && vorbis_block_init(&state, &block) == 0;
        streamOpen = blockOpen && ogg_stream_init(&stream, kOggSerialNumber) == 0;
        return streamOpen && WriteHeaders();
    }

    void Write(const int16_t* frames, int frameCount, int channels)
    {
        float** buffer = vorbis_analysis_buffer(&state, frameCount);
        for (int frame = 0; frame < frameCount; ++frame) {
            for (int channel = 0; channel < channels; ++channel)
                buffer[channel][frame] = static_cast<float>(frames[frame * channels + channel]) / 32768.0f;
        }
        vorbis_analysis_wrote(&state, frameCount);
        Drain(false);
    }

    std::vector<uint8_t> Finish()
    {
        vorbis_analysis_wrote(&state, 0);
        Drain(true);
        return std::move(bytes);
    }

private:
    bool WriteHeaders()
    {
        ogg_packet identification;
        ogg_packet comments;
        ogg_packet codebooks;
        if (vorbis_analysis_headerout(&state, &comment, &identification, &comments, &codebooks) != 0)
            return false;
        ogg_stream_packetin(&stream, &identification);
        ogg_stream_packetin(&stream, &comments);
        ogg_stream_packetin(&stream, &codebooks);
        ogg_page page;
        while (ogg_stream_flush(&stream, &page) != 0)
            OggAppendPage(page, bytes);
        return true;
    }

    void Drain(bool last)
    {
        ogg_packet packet;
        ogg_page page;
        while (vorbis_analysis_blockout(&state, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (vorbis_bitrate_flushpacket(&state, &packet) != 0) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0)
                    OggAppendPage(page, bytes);
            }
        }
        while (last && ogg_stream_flush(&stream, &page) != 0)
            OggAppendPage(page, bytes);
    }

    vorbis_info info;
    vorbis_comment comment;
    vorbis_dsp_state state{};
    vorbis_block block{};
    ogg_stream_state stream{};
    bool stateOpen = false;
    bool blockOpen = false;
    bool streamOpen = false;
    std::vector<uint8_t> bytes;
};

} // namespace

std::vector<uint8_t> EncodeOggVorbis(const std::vector<int16_t>& samples, int channels, int sampleRate,
                                     float quality)
{
    OggVorbisWriter writer;
    if (channels < 1 || !writer.Open(channels, sampleRate, quality))
        return {};
    int frameCount = static_cast<int>(samples.size()) / channels;
    for (int first = 0; first < frameCount; first += kOggBlockFrames) {
        int count = frameCount - first < kOggBlockFrames ? frameCount - first : kOggBlockFrames;
        writer.Write(samples.data() + static_cast<size_t>(first) * channels, count, channels);
    }
    return writer.Finish();
}
