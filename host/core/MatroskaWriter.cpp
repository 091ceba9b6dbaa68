#include "host/core/MatroskaWriter.h"

#include <filesystem>

#include "host/core/AvFormatCalls.h"

void MatroskaWriter::ContextDeleter::operator()(AVFormatContext* context) const
{
    // A context exists only once the calls were found.
    const AvFormatCalls* av = GetAvFormatCalls(nullptr);
    if (context->pb) av->ioClose(&context->pb);
    av->freeContext(context);
}

MatroskaWriter::~MatroskaWriter()
{
    if (m_context) finish();
}

std::string MatroskaWriter::failure(const char* what, int error) const
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    m_av->strError(error, text, sizeof text);
    return std::string("cannot ") + what + " " + m_path + ": " + text;
}

std::string MatroskaWriter::open(const std::string& path)
{
    if (m_context) return "a recording into " + m_path + " is still open";
    m_path = path;
    m_headerWritten = false;
    m_frames = 0;
    m_lastMs = -1;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code error;
    if (!folder.empty() && !std::filesystem::is_directory(folder, error))
        return "cannot write " + path + ": the folder " + folder.string() + " does not exist";
    if (std::filesystem::is_directory(path, error)) return "cannot write " + path + ": it is a folder";

    std::string why;
    if (!(m_av = GetAvFormatCalls(&why))) return "cannot record into " + path + ": " + why;
    AVFormatContext* context = nullptr;
    int result = m_av->allocOutputContext2(&context, nullptr, "matroska", path.c_str());
    if (result < 0 || !context) return failure("record into", result < 0 ? result : AVERROR(ENOMEM));
    std::unique_ptr<AVFormatContext, ContextDeleter> owned(context);
    AVStream* stream = m_av->newStream(context, nullptr);
    if (!stream) return failure("record into", AVERROR(ENOMEM));
    stream->time_base = AVRational{1, 1000};
    stream->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
    stream->codecpar->codec_id = AV_CODEC_ID_MJPEG;
    if ((result = m_av->ioOpen(&context->pb, path.c_str(), AVIO_FLAG_WRITE)) < 0) return failure("write", result);
    m_context = std::move(owned);
    return {};
}

std::string MatroskaWriter::write(const std::uint8_t* bytes, std::size_t length, std::int64_t ms)
{
    if (!m_context) return "no recording is open";
    if (!bytes || length == 0 || length > static_cast<std::size_t>(INT32_MAX)) return "an empty frame is not recorded";
    AVStream* stream = m_context->streams[0];
    if (!m_headerWritten) {
        const JpegSize size = ReadJpegSize(bytes, length);
        stream->codecpar->width = size.width;
        stream->codecpar->height = size.height;
        // Clusters of at most a second, each written out as it closes: a
        // viewer that is killed leaves a file that plays up to then.
        AVDictionary* options = nullptr;
        m_av->dictSet(&options, "cluster_time_limit", "1000", 0);
        m_context->flags |= AVFMT_FLAG_FLUSH_PACKETS;
        const int result = m_av->writeHeader(m_context.get(), &options);
        m_av->dictFree(&options);
        if (result < 0) return failure("write", result);
        m_headerWritten = true;
    }
    if (ms <= m_lastMs) ms = m_lastMs + 1;
    AVPacket* packet = m_av->packetAlloc();
    if (!packet) return failure("write", AVERROR(ENOMEM));
    // The packet points at the caller's bytes: av_write_frame writes them
    // out before it returns.
    packet->data = const_cast<std::uint8_t*>(bytes);
    packet->size = static_cast<int>(length);
    packet->stream_index = 0;
    packet->flags = AV_PKT_FLAG_KEY;
    // Written in the stream's own time base, which the muxer may have
    // changed from the millisecond asked for.
    packet->pts = packet->dts = m_av->rescaleQ(ms, AVRational{1, 1000}, stream->time_base);
    const int result = m_av->writeFrame(m_context.get(), packet);
    m_av->packetFree(&packet);
    if (result < 0) return failure("write", result);
    m_lastMs = ms;
    ++m_frames;
    return {};
}

std::string MatroskaWriter::finish()
{
    if (!m_context) return {};
    std::string outcome;
    if (m_headerWritten) {
        if (const int result = m_av->writeTrailer(m_context.get()); result < 0) outcome = failure("write", result);
        if (m_context->pb && m_context->pb->error < 0 && outcome.empty()) outcome = failure("write", m_context->pb->error);
    }
    if (const int result = m_av->ioClose(&m_context->pb); result < 0 && outcome.empty()) outcome = failure("write", result);
    m_context.reset();
    if (!m_headerWritten) {
        std::error_code error;
        std::filesystem::remove(m_path, error);
        if (outcome.empty()) outcome = "no frame came: " + m_path + " is not kept";
    }
    return outcome;
}

JpegSize ReadJpegSize(const std::uint8_t* bytes, std::size_t length)
{
    if (!bytes || length < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return {};
    std::size_t at = 2;
    while (at + 4 <= length) {
        if (bytes[at] != 0xFF) return {};
        const std::uint8_t marker = bytes[at + 1];
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) return {}; // end, or the picture data before any frame header
        const std::size_t segment = static_cast<std::size_t>(bytes[at + 2]) << 8 | bytes[at + 3];
        if (segment < 2 || at + 2 + segment > length) return {};
        // The frame headers: SOF0-SOF15 but for DHT (C4), JPG (C8) and DAC (CC).
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            if (segment < 7) return {};
            const std::uint8_t* f = bytes + at + 4;
            return {f[3] << 8 | f[4], f[1] << 8 | f[2]};
        }
        at += 2 + segment;
    }
    return {};
}
