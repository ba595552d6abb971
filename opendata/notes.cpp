#include "opendata/notes.h"

#include "opendata/normalise_v4.h"
#include "platform/console.h"

const char kRetryNextRefresh[] = "次回の更新で再取得します。";

void tellAnswerAtCap(const char* subject)
{
    console_print("%s: 応答が上限の %zu 件に達しているため、一部が欠けているかもしれません。\n", subject,
                  kV4AnswerObjectCap);
}
