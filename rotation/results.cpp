#include "rotation/results.h"

namespace {

template <typename Entry, int N>
const Entry* find(const Entry (&table)[N], int result) {
  for (const Entry& entry : table)
    if (entry.result == result) return &entry;
  return nullptr;
}

struct WorkerText {
  int result;
  const char* text;
};

const WorkerText workerTexts[] = {
    {WorkerOutputFailed, "アニメGIFファイルの作成に失敗"},
    {WorkerDrawRefused, "一時保存用ビットマップへの画像出力に失敗"},
    {WorkerBmpNotWritten, "一時保存ファイルへの保存に失敗"},
    {WorkerConvertFailed, "ファイル変換失敗"},
    {WorkerInfoFailed, "画像情報取得に失敗"},
    {WorkerSourceUnopened, "回転元ファイル情報獲得に失敗"},
};

struct MessageEntry {
  int result;
  ResultMessage message;
};

const MessageEntry rotationMessages[] = {
    {RotationWorkerBusy, {"他のアニメGIF作成中です。終了まで待ってください", "Animation GIF creation"}},
    {RotationBadAngle, {"指定角度が無効です", "Invalid angle"}},
    {RotationSourceUnopened, {"回転元ファイル情報獲得に失敗", "Receive info failed"}},
    {RotationInfoFailed, {"画像情報取得に失敗", "Receive pict info failed"}},
    {RotationConvertFailed, {"ファイル変換失敗", "File transfer failed"}},
    {RotationTempNotWritten, {"一時保存ファイルへの保存に失敗", "Temp file save failed"}},
    {RotationDrawFailed, {"一時保存用ビットマップへの画像出力に失敗", " failed"}},
    {RotationNoPicture, {"回転させる画像がありません", "No Picture"}},
    {RotationAnimated, {"回転操作は出来ません", "Operation Forbidden"}},
    {RotationOutputIsJobFile, {"作業用の一時ファイルには保存できません", "Invalid output file"}},
    {RotationThreadFailed, {"アニメGIF作成を開始できません", "Thread start failed"}},
    {RotationOutputUnwritable, {"アニメGIFファイルの作成に失敗", "Invalid output file"}},
};

const MessageEntry saveMessages[] = {
    {SaveBadType, {"無効なファイルタイプです", "Invalid file type"}},
    {SaveFailed, {"保存に失敗しました", "Save failed"}},
    {SaveInfoFailed, {"保存に失敗しました", "Save failed"}},
    {SaveConvertFailed, {"保存に失敗しました", "Save failed"}},
    {SaveTempNotWritten, {"一時保存ファイルの保存に失敗しました", "Temp Save failed"}},
    {SaveDrawRefused, {"ビットマップへの画像出力に失敗", "Bitmapp failed"}},
    {SaveNoMemory, {"メモリが不足しているため保存できません", "Out of memory"}},
};

bool lookUp(const MessageEntry* entry, ResultMessage* message) {
  if (!entry) return false;
  *message = entry->message;
  return true;
}

}  // namespace

bool workerResultMessage(int result, bool assembled, const char** text) {
  if (result == WorkerSucceeded) {
    *text = assembled ? "アニメGIF作成終了" : "アニメGIF作成途中で中止";
    return true;
  }
  const WorkerText* entry = find(workerTexts, result);
  *text = entry ? entry->text : "予期しない状態が発生しました";
  return entry != nullptr;
}

bool rotationResultMessage(int result, ResultMessage* message) {
  return lookUp(find(rotationMessages, result), message);
}

bool saveResultMessage(int result, ResultMessage* message) {
  return lookUp(find(saveMessages, result), message);
}

RotationResult rotationResultOfFrame(WorkerResult frame) {
  switch (frame) {
    case WorkerSourceUnopened: return RotationSourceUnopened;
    case WorkerInfoFailed: return RotationInfoFailed;
    case WorkerConvertFailed: return RotationConvertFailed;
    case WorkerBmpNotWritten: return RotationTempNotWritten;
    default: return RotationDrawFailed;
  }
}
