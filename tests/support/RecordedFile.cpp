#include "tests/support/RecordedFile.h"

extern "C" {
#include <libavformat/avformat.h>
}

RecordedFile ReadRecordedFile(const std::string& path)
{
    RecordedFile file;
    AVFormatContext* context = nullptr;
    if (avformat_open_input(&context, path.c_str(), nullptr, nullptr) < 0) return file;
    file.opened = true;
    file.streams = context->nb_streams;
    if (context->duration != AV_NOPTS_VALUE) file.durationMs = context->duration / (AV_TIME_BASE / 1000);
    if (file.streams > 0) {
        const AVStream* stream = context->streams[0];
        file.mjpeg = stream->codecpar->codec_id == AV_CODEC_ID_MJPEG;
        file.width = stream->codecpar->width;
        file.height = stream->codecpar->height;
    }
    AVPacket* packet = av_packet_alloc();
    while (packet && av_read_frame(context, packet) >= 0) {
        const AVStream* stream = context->streams[packet->stream_index];
        file.packets.emplace_back(packet->data, packet->data + packet->size);
        file.ms.push_back(av_rescale_q(packet->pts, stream->time_base, AVRational{1, 1000}));
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    avformat_close_input(&context);
    return file;
}
