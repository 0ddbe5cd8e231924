#pragma once

#include <QList>

#include <atomic>

// The report callback given to UsbServerC_Start. The device library calls it on
// its own thread for every report of the linked device: it keeps the working
// image g_FlashData current, answers a connect with the model's receiver
// settings, turns status changes into targeted reads, records the mouse
// firmware version and hands copies of the image and single values to the
// pages over the bus (blocking connections: it waits until they are applied).
//
// Reports shorter than a handler needs, and reports of other types, addresses
// or lengths, are dropped.
void OnHidReport(unsigned char* header, int headerLength, unsigned char* data, unsigned int dataLength);

// The targeted reads after a status change, from g_StatusChangedFlags.
void RereadChangedStatus();

// Set by the connected report: the next full read skips reading the receiver
// light and long-range mode, and clears the key-event and macro records.
extern std::atomic<bool> g_ReceiverSettingsApplied;
extern std::atomic<bool> g_ConnectCleanupPending;
