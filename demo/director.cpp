#include "demo/director.h"

#include <GL/gl.h>

#include <algorithm>
#include <vector>

#include "demo/part_table.h"
#include "music/music_player.h"
#include "music/sync_slots.h"

namespace {

bool g_prepared = false;
const PartRow* g_partBegun = nullptr;  // the part whose start setPartStart holds
Director::PrepareObserver g_prepareObserver = nullptr;

// Every row's preparation steps, by their places.
void prepareEffects() {
    std::vector<const PrepareStep*> steps;
    for (size_t r = 0; r < PartTable::rowCount(); ++r) {
        const PartRow& row = PartTable::row(r);
        for (size_t i = 0; i < row.stepCount; ++i) steps.push_back(&row.steps[i]);
    }
    std::stable_sort(steps.begin(), steps.end(), [](const PrepareStep* a, const PrepareStep* b) {
        return a->place < b->place;
    });
    for (const PrepareStep* step : steps) {
        if (g_prepareObserver) g_prepareObserver(step->name);
        step->run();
    }
}

}  // namespace

namespace Director {

const PartRow* rowForOrder(int order) {
    for (size_t r = 0; r < PartTable::rowCount(); ++r) {
        const PartRow& row = PartTable::row(r);
        if (row.draw && order >= row.firstOrder && order <= row.lastOrder) return &row;
    }
    return nullptr;
}

PartFunction partForOrder(int order) {
    const PartRow* row = rowForOrder(order);
    return row ? row->draw : nullptr;
}

void combineAccents() {
    using namespace SyncSlot;
    instHitCount[kAccent] =
        static_cast<uint16_t>(instHitCount[kSnareAccent] + instHitCount[kKickAccent]);
    instSinceHit[kAccent] = instSinceHit[kSnareAccent] < instSinceHit[kKickAccent]
                                ? instSinceHit[kSnareAccent]
                                : instSinceHit[kKickAccent];
}

bool prepared() {
    return g_prepared;
}

void setPrepareObserver(PrepareObserver observer) {
    g_prepareObserver = observer;
}

void readFrameSync() {
    g_musicPlayer.updateInstrumentTimes();
    combineAccents();
    g_musicPlayer.updateSpectrum();
}

bool frame(float time, float frameTime) {
    // The order is read before anything is drawn.
    const int order = g_musicPlayer.getOrder();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    readFrameSync();
    if (!g_prepared) {
        prepareEffects();
        g_prepared = true;
    }
    const PartRow* row = rowForOrder(order);
    if (!row) return true;
    if (row != g_partBegun) {
        const double begins = g_musicPlayer.orderStartSeconds(row->firstOrder);
        setPartStart(begins >= 0 ? static_cast<float>(begins) : time);
        g_partBegun = row;
    }
    row->draw(time, frameTime);
    return true;
}

}  // namespace Director
