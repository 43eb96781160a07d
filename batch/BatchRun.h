#pragma once

#include "batch/BatchRequest.h"

#include <cstdio>

namespace ui {
class Context;
}

// Exit statuses of a run without a window.
enum BatchStatus { kBatchAllMade = 0, kBatchSomeFailed = 1, kBatchUsageError = 2 };

// Chooses the offscreen platform and keeps Qt's own messages off stderr, so
// that a run without a window needs no display and says only what it does.
// Called before the application object exists.
void prepareBatchRun();

// Makes the labels `request` asks for without a window: one per input (or
// one by hand), written to one PDF file or sent to a print queue as one
// job, through the services of `context` as the windows use them. Tells
// progress (for more than one label) and every input that failed on
// `messages`, and goes on with the rest. Needs the application object.
// Returns kBatchAllMade, kBatchSomeFailed (also when nothing could be
// printed), or kBatchUsageError for a label product that names none or
// several, or an output that may not be written.
int runBatch(const BatchRequest& request, ui::Context& context, std::FILE* messages);
