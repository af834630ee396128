#pragma once

// The updater's own texts: captions, status texts and messages, exactly as users see them.
namespace updater_texts {

inline constexpr const char* programTitle = "Renovo";
inline constexpr const char* windowCaption = "Tovanis网络电视-自动更新程序";
inline constexpr const char* localListFile = "UpdList.xml";
inline constexpr const char* serverListFile = "NewUpdList.xml";
inline constexpr const char* publicKeyFile = "update-key.pub";
inline constexpr const char* signatureSuffix = ".minisig";
// Names the downloads kept half-way for the next run to continue, with their digests.
inline constexpr const char* partialListFile = "UpdPartial.xml";
inline constexpr const char* skinFile = "/skin/白色简约.she";

inline constexpr const char* ready = "就绪";
inline constexpr const char* fetchingList = "正在获取更新列表，请稍候...";
inline constexpr const char* listError = "获取更新信息错误!";
inline constexpr const char* networkError = "网络连接错误，请检查网络连接是否正常!.";
inline constexpr const char* notFoundSuffix = " Not found!";
inline constexpr const char* listNotFoundSuffix = " not found!";
inline constexpr const char* serverLostPrefix = "服务器丢失 ";
inline constexpr const char* serverLostSuffix = "文件，无法继续更新 ...";
inline constexpr const char* unsafeNamePrefix = "更新列表中的文件名不安全：";
inline constexpr const char* unsafeNameSuffix = "，无法继续更新 ...";
inline constexpr const char* duplicateNamePrefix = "更新列表中的文件名重复：";
inline constexpr const char* runningPrefix = "更新主程序：";
inline constexpr const char* runningMiddle = "正在运行!";
inline constexpr const char* runningQuestion = "关闭此程序按[是]，终止更新按[否]";
inline constexpr const char* updateStopped = "更新终止，请按[退出]";
inline constexpr const char* updatesFoundPrefix = "共有 ";
inline constexpr const char* updatesFoundSuffix = " 个更新 ，点【更新】开始更新...";
inline constexpr const char* nothingToUpdate = "没有可用更新，点【完成】退出...";
inline constexpr const char* updatingPrefix = "正在更新：";
inline constexpr const char* updatingSuffix = " ...";
inline constexpr const char* updateDone = "更新完成！";
inline constexpr const char* updateFailedPrefix = "更新未完成：";
inline constexpr const char* updateFailedMiddle = " 个文件更新失败（";
inline constexpr const char* updateFailedSuffix = "），下次启动将重新更新";
inline constexpr const char* fileFailed = "失败";
inline constexpr const char* fileUnverified = "校验失败";
inline constexpr const char* unverifiedPrefix = "文件校验失败，已丢弃：";
inline constexpr const char* listRefusedPrefix = "更新列表被拒绝：";

inline constexpr const char* captionUpdate = "更新";
inline constexpr const char* captionGetList = "获取列表";
inline constexpr const char* captionExit = "退出";
inline constexpr const char* captionCancel = "取消";
inline constexpr const char* captionFinish = "完成";

// Descriptions of the errors that end the list comparison.
inline constexpr const char* errorNoUrl = "更新列表缺少 Url 元素";
inline constexpr const char* errorNoFiles = "更新列表缺少 Files 元素";
inline constexpr const char* errorNoRunApp = "更新列表缺少 RunApp 元素";
inline constexpr const char* errorFilesChild = "更新列表的 Files 中有不是文件项的内容";
inline constexpr const char* errorNoAttribute = "更新列表的文件项缺少 Name 或 Ver 属性";
inline constexpr const char* errorOverflow = "溢出";
inline constexpr const char* errorEncodingPrefix = "更新列表的编码无法识别：";
inline constexpr const char* errorBadDigest = "更新列表的文件项 Size 或 Sha256 无效：";
inline constexpr const char* errorNoSha256 = "更新列表的文件项缺少 Sha256：";
inline constexpr const char* errorNoSize = "更新列表的文件项缺少 Size：";
inline constexpr const char* errorBadSerial = "更新列表的 Serial 不是数字";
inline constexpr const char* noLengthPrefix = "服务器没有说明文件的大小，未下载：";
inline constexpr const char* localListUnfaithful = "无法保存更新列表 UpdList.xml：保存的内容与服务器的列表不符";
inline constexpr const char* localListNotRecordedSuffix = "，下次启动将重新更新";

// Why a list that must be signed was refused.
inline constexpr const char* refusedBadKeyFile = "更新公钥文件 update-key.pub 无效";
inline constexpr const char* refusedNoSignature = "服务器没有提供更新列表的签名";
inline constexpr const char* refusedMalformedSignature = "更新列表的签名格式无效";
inline constexpr const char* refusedOtherKey = "更新列表由其他密钥签名";
inline constexpr const char* refusedBadSignature = "更新列表的签名验证失败";
inline constexpr const char* refusedUnreadableLocalSerial
    = "已安装的更新列表 UpdList.xml 的 Serial 无法读取，无法确认新列表不是旧的";
inline constexpr const char* refusedSignatureUnfetched = "无法下载更新列表的签名：";
inline constexpr const char* refusedSignatureTooLong = "更新列表的签名文件过长";
inline constexpr const char* transferBroken = "传输中断或超时";
inline constexpr const char* serverAnsweredPrefix = "服务器答复 ";
inline constexpr const char* listTooLong = "更新列表过大（超过 64 MB）";
inline constexpr const char* refusedOldSerialPrefix = "更新列表比已安装的列表旧（Serial ";
inline constexpr const char* refusedOldSerialMiddle = " 低于 ";
inline constexpr const char* refusedOldSerialSuffix = "）";

} // namespace updater_texts
