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

// Asks the linked mouse for its whole configuration. Use it instead of
// UsbServer_ReadAllFlashData: an answer read before a change that was sent to
// the mouse afterwards is then told apart (and asked for again) rather than
// undoing that change. Answers to the targeted reads are treated alike.
void RequestFullRead();
// Forgets the reads asked for so far; call when the link is (re)started, which
// drops their answers.
void ForgetRequestedReads();
// Every send of the working image tells of it here, with g_FlashDataMutex held.
// A send made while a change made at the mouse is still being read carried the
// older value; the image is then sent once more when the answers are in.
void NoteImageSentLocked();

// Set by the connected report: the next full read skips reading the receiver
// light and long-range mode, and clears the key-event and macro records.
extern std::atomic<bool> g_ReceiverSettingsApplied;
extern std::atomic<bool> g_ConnectCleanupPending;
