#pragma once
// `tarnwick charts render`: draws a tile or a view of the installed charts
// into a PNG file (see ChartRenderCommand.cpp for the arguments).

#include "app/Subcommand.h"

namespace tarnwick {

inline constexpr const char* kChartsRenderUsage =
    "render (--tile Z/X/Y | --center LAT,LON --zoom Z [--size WxH] | --bbox W,S,E,N --size WxH) "
    "[--scheme day|dusk|night] --out FILE.png";

// args starts with "render". Exit 0 with one JSON line on stdout, 1 when the
// drawing or the file failed, 2 for bad arguments.
int ChartsRenderMain(CArguments& args);

}  // namespace tarnwick
