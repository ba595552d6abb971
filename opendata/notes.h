#pragma once
// Console wordings that the downloads and the timetable loader share, so a
// reader meets each once. Shift_JIS, as the console prints.

// The end of a line that tells a failed or refused answer: the next refresh
// asks again.
extern const char kRetryNextRefresh[];

// One console line: subject's answer holds the API's kV4AnswerObjectCap
// objects, so some may have been cut off.
void tellAnswerAtCap(const char* subject);
