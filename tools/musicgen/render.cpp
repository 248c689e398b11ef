// render.cpp - lockstep playback and level measurement.
#include "tools/musicgen/render.h"

#include <algorithm>
#include <cmath>

#include "music/music_player.h"

namespace {

void collect(void* user, const SyncEvent& event, double heardAt) {
    Rendition& r = *static_cast<Rendition*>(user);
    if (event.kind == SyncEvent::kOrder && event.order >= 0) {
        if (r.orderStarts.size() <= static_cast<size_t>(event.order)) {
            r.orderStarts.resize(static_cast<size_t>(event.order) + 1, -1.0);
        }
        if (r.orderStarts[static_cast<size_t>(event.order)] < 0) {
            r.orderStarts[static_cast<size_t>(event.order)] = heardAt;
        }
    } else if (event.kind == SyncEvent::kTrigger) {
        r.hits.push_back({event.order, event.row, event.instrument, heardAt});
    }
}

double decibels(double v) {
    return v > 0.0 ? 20.0 * std::log10(v) : -200.0;
}

}  // namespace

bool renderModule(const std::vector<uint8_t>& module, Rendition& out, std::string& error,
                  double maxSeconds) {
    out = Rendition{};
    MusicPlayer player;
    player.useLockstep(true);
    player.setSyncObserver(collect, &out);
    if (!player.init(kRenderRate, 32) || !player.openMemory(module.data(), module.size(), false) ||
        !player.play()) {
        error = "the music player cannot open the module";
        return false;
    }
    const int64_t limit = static_cast<int64_t>(maxSeconds * kRenderRate);
    for (int64_t done = 0; done < limit && !player.finished(); done += kRenderRate) {
        player.advanceFrames(kRenderRate, &out.pcm);
    }
    out.finished = player.finished();
    player.setSyncObserver(nullptr, nullptr);
    if (!out.finished) {
        error = "the song has not ended after " + std::to_string(static_cast<int>(maxSeconds)) +
                " seconds";
        return false;
    }
    const size_t frames = static_cast<size_t>(std::max<int64_t>(0, player.endFrame()));
    out.pcm.resize(std::min(out.pcm.size(), 2 * frames));
    out.seconds = static_cast<double>(frames) / kRenderRate;
    player.close();
    return true;
}

Levels measureLevels(const std::vector<float>& pcm, size_t first, size_t last) {
    Levels l;
    last = std::min(last, pcm.size() / 2);
    if (first >= last) return l;
    double sum = 0.0;
    for (size_t i = 2 * first; i < 2 * last; ++i) {
        const double v = pcm[i];
        l.peak = std::max(l.peak, std::fabs(v));
        sum += v * v;
    }
    l.peakDb = decibels(l.peak);
    l.rmsDb = decibels(std::sqrt(sum / (2.0 * static_cast<double>(last - first))));
    return l;
}

Levels measureLevels(const std::vector<float>& pcm) {
    return measureLevels(pcm, 0, pcm.size() / 2);
}

std::vector<std::vector<int>> hitsPerOrder(const Rendition& r, int orders, int instruments) {
    std::vector<std::vector<int>> counts(static_cast<size_t>(std::max(0, orders)),
                                         std::vector<int>(static_cast<size_t>(instruments), 0));
    for (const SyncHit& h : r.hits) {
        if (h.order >= 0 && h.order < orders && h.instrument >= 0 && h.instrument < instruments) {
            ++counts[static_cast<size_t>(h.order)][static_cast<size_t>(h.instrument)];
        }
    }
    return counts;
}
