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
  const wchar_t* text;
};

const WorkerText workerTexts[] = {
    {WorkerOutputFailed, L"アニメGIFファイルの作成に失敗"},
    {WorkerDrawRefused, L"一時保存用ビットマップへの画像出力に失敗"},
    {WorkerBmpNotWritten, L"一時保存ファイルへの保存に失敗"},
    {WorkerConvertFailed, L"ファイル変換失敗"},
    {WorkerInfoFailed, L"画像情報取得に失敗"},
    {WorkerSourceUnopened, L"回転元ファイル情報獲得に失敗"},
};

struct MessageEntry {
  int result;
  ResultMessage message;
};

const MessageEntry rotationMessages[] = {
    {RotationWorkerBusy, {L"他のアニメGIF作成中です。終了まで待ってください", L"Animation GIF creation"}},
    {RotationBadAngle, {L"指定角度が無効です", L"Invalid angle"}},
    {RotationSourceUnopened, {L"回転元ファイル情報獲得に失敗", L"Receive info failed"}},
    {RotationInfoFailed, {L"画像情報取得に失敗", L"Receive pict info failed"}},
    {RotationConvertFailed, {L"ファイル変換失敗", L"File transfer failed"}},
    {RotationTempNotWritten, {L"一時保存ファイルへの保存に失敗", L"Temp file save failed"}},
    {RotationDrawFailed, {L"一時保存用ビットマップへの画像出力に失敗", L" failed"}},
    {RotationNoPicture, {L"回転させる画像がありません", L"No Picture"}},
    {RotationAnimated, {L"回転操作は出来ません", L"Operation Forbidden"}},
    {RotationOutputIsJobFile, {L"作業用の一時ファイルには保存できません", L"Invalid output file"}},
    {RotationThreadFailed, {L"アニメGIF作成を開始できません", L"Thread start failed"}},
    {RotationOutputUnwritable, {L"アニメGIFファイルの作成に失敗", L"Invalid output file"}},
};

const MessageEntry saveMessages[] = {
    {SaveBadType, {L"無効なファイルタイプです", L"Invalid file type"}},
    {SaveFailed, {L"保存に失敗しました", L"Save failed"}},
    {SaveInfoFailed, {L"保存に失敗しました", L"Save failed"}},
    {SaveConvertFailed, {L"保存に失敗しました", L"Save failed"}},
    {SaveTempNotWritten, {L"一時保存ファイルの保存に失敗しました", L"Temp Save failed"}},
    {SaveDrawRefused, {L"ビットマップへの画像出力に失敗", L"Bitmapp failed"}},
    {SaveNoMemory, {L"メモリが不足しているため保存できません", L"Out of memory"}},
};

bool lookUp(const MessageEntry* entry, ResultMessage* message) {
  if (!entry) return false;
  *message = entry->message;
  return true;
}

}  // namespace

bool workerResultMessage(int result, bool assembled, const wchar_t** text) {
  if (result == WorkerSucceeded) {
    *text = assembled ? L"アニメGIF作成終了" : L"アニメGIF作成途中で中止";
    return true;
  }
  const WorkerText* entry = find(workerTexts, result);
  *text = entry ? entry->text : L"予期しない状態が発生しました";
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
