#pragma once

#include "command_frame.h"
#include "core/shared_state.h"

#include <QByteArrayView>
#include <QString>
#include <cstdint>

// The frame under construction and the machines' replies, shared by every sender and requester.
inline uint8_t g_FrameBuf[kq::link::kFrameBufBytes] = {};
inline int32_t g_FrameLen = 0;
inline uint8_t g_ReplyBuf[kq::link::kReplyBufBytes] = {};
// A requester sets this to 0, sends, waits with Fun_Delay, then reads g_ReplyBuf[0 .. g_ReplyLen - 1].
inline int32_t g_ReplyLen = 0;

using LivePlanes = uint8_t[kMaxMachine + 1][kMaxPort + 1][kLivePlaneSize];

void Fun_FrameAppend(int value);
void Fun_FrameHeader();
// Builds the frame in g_FrameBuf and sends it through the broadcast endpoint; with waitAfter, waits
// 1 ms afterwards. The code's low 16 bits count. A machine number outside 0..255 or a payload that
// does not fit the frame buffer sends nothing and returns false.
bool Fun_SendFrame(int machine, int commandCode, QByteArrayView data, bool waitAfter);
// The same frame sent without handling the program's pending events first: for the frame step, whose
// sends must not wait behind a repaint or a shared screen's picture.
bool Fun_SendFrameAtOnce(int machine, int commandCode, QByteArrayView data);
// Sends codeHex ("8012") with payloadHex (byte pairs, blanks allowed) and waits 1 ms. Text that is
// not whole hex bytes sends nothing: the reason is logged and false returned.
bool Fun_SendCommand(int machine, const QString& codeHex, const QString& payloadHex);
bool Fun_SendCommandNoWait(int machine, const QString& codeHex, const QString& payloadHex);
// One "8050" frame with positions start .. start + 1,124 of the machine's port block, through the
// machine's own endpoint. Machines outside 1..10 get nothing.
void Fun_SendHalfBlock(int machine, int port, int start, const LivePlanes& planes);
// Sends `remaining` bytes of data as "8050" frames of at most 1,200 bytes each through the broadcast
// endpoint, 1 ms apart; remaining is 0 afterwards.
void Fun_SendBlockChunked(int machine, int port, int32_t& remaining, QByteArrayView data);

// The program's last words: "805E" to every machine.
void Fun_SendExitCommand();
