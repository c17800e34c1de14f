// One-shot 250 kHz capture of channel 0 on a worker thread.
#pragma once

#include <atomic>
#include <functional>

#include "DQX7460.h"
#include "acquisition/conditioning.h"

struct Settings;
struct TestRun;

extern int g_bHighSpeed;  // 250 kHz mode; read by ConfigureCard at start-up
extern AdScanConfig g_aiConfig;
// Shared with the worker. The worker publishes the buffer and the count by setting
// g_bHighSpeedDone (release); the window's thread reads them after seeing it (acquire).
extern int g_nHighSpeedBuf[1024];
extern std::atomic<int> g_nHighSpeedCount;
extern std::atomic<int> g_bHighSpeedSync;
extern std::atomic<int> g_bHighSpeedStarted;
extern std::atomic<int> g_bHighSpeedRun;
extern std::atomic<unsigned char> g_bHighSpeedDone;

// How the worker ended: its samples are in or the capture was stopped, or the card's reads
// kept failing and the worker gave up.
enum class HighSpeedEnd { kEnded, kCardFailed };

// Called by the worker when it ends, before it sets g_bHighSpeedDone; the main window
// uses it to show "250kHz 高速采集结束", or that the card stopped answering, on its own
// thread.
void SetHighSpeedFinishedNotifier(std::function<void(HighSpeedEnd)> notify);

// The high-speed branch of ConfigureCard (after its reset): programs the scan, starts the
// conversion and the worker thread.
void StartHighSpeedCapture(const Settings& settings);
// The stop command's part: stops the scan, clears the FIFO and ends the worker, which is
// joined before this returns.
void StopHighSpeedCapture();
// Converts the first 250 entries of the burst into channel 0 values and readouts.
void ProcessHighSpeedBurst(const Settings& settings, TestRun& run, ChannelVoltages& ch);
