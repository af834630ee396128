#!/usr/bin/env python3
"""Writes the TV shell's ten channel pages, data/bin/*.ocx: HTML documents in GBK with a
title, a row of links to the other channels, a player area and the day's programme list.
The shell shows them as web pages whatever their extension, with the page's leftmost
8 pixels under the window's edge, so the content keeps clear of them."""
import os
import sys

CHANNELS = [
    ("tovanT", "高清电视直播", "#2b7be8", "直播信号：高清一线", [
        ("06:00", "早间新闻"), ("08:30", "健康生活"), ("10:00", "纪录片：大河之源"), ("12:00", "午间新闻"),
        ("14:10", "电视剧：山海情"), ("18:00", "城市快讯"), ("19:00", "新闻联播"), ("20:05", "体育赛事直播")]),
    ("tovanMTV1", "高清MTV一", "#d9459a", "音乐台：流行金曲", [
        ("00:00", "午夜金曲"), ("07:00", "清晨音乐会"), ("09:00", "华语排行榜"), ("11:30", "经典老歌"),
        ("14:00", "原创新声"), ("17:00", "演唱会精选"), ("20:00", "热歌点播"), ("22:30", "轻音乐时光")]),
    ("tovanMTV2", "高清MTV二", "#9b4de0", "音乐台：欧美与日韩", [
        ("00:00", "夜色电音"), ("08:00", "欧美新歌"), ("10:00", "日韩流行"), ("12:30", "摇滚现场"),
        ("15:00", "乐队故事"), ("18:00", "舞曲串烧"), ("21:00", "音乐节回放"), ("23:00", "爵士之夜")]),
    ("tovanDM", "高清动漫", "#f0a020", "动漫台：少儿与青春", [
        ("07:30", "晨间动画"), ("09:00", "科普小课堂"), ("11:00", "冒险动画连播"), ("13:30", "经典动画电影"),
        ("16:00", "放学动画"), ("18:30", "青春动漫"), ("20:00", "剧场版首映"), ("22:00", "动漫资讯")]),
    ("tovanpR", "在线广播", "#2fa86f", "广播：音乐与资讯", [
        ("06:00", "早安新闻"), ("07:30", "交通路况"), ("09:00", "音乐早餐"), ("12:00", "午间快报"),
        ("14:00", "故事会"), ("17:00", "晚高峰路况"), ("19:30", "夜听"), ("22:00", "午夜电台")]),
    ("tovanDigHD1", "数字影院一(电信服务器)", "#e8502b", "数字影院：电信服务器", [
        ("08:00", "喜剧片"), ("10:00", "动作片"), ("12:15", "爱情片"), ("14:30", "科幻片"),
        ("16:45", "纪录电影"), ("19:00", "本周新片"), ("21:15", "悬疑片"), ("23:30", "经典重映")]),
    ("tovanDigHD2", "数字影院二(多线路)", "#c0392b", "数字影院：多线路", [
        ("08:00", "家庭电影"), ("10:10", "战争片"), ("12:30", "武侠片"), ("14:40", "动画电影"),
        ("17:00", "文艺片"), ("19:10", "大片首映"), ("21:20", "惊悚片"), ("23:40", "午夜场")]),
    ("tovanDigHD3", "数字影院三(多线路)", "#16a2b8", "数字影院：多线路", [
        ("08:30", "老电影"), ("10:40", "戏曲电影"), ("13:00", "儿童电影"), ("15:10", "喜剧片"),
        ("17:20", "传记片"), ("19:30", "影迷点播"), ("21:40", "动作片"), ("23:50", "黑白经典")]),
    ("tovanHDM", "高清电影", "#3b5bdb", "高清电影：1080P", [
        ("09:00", "新片速递"), ("11:10", "冒险片"), ("13:20", "奇幻片"), ("15:30", "灾难片"),
        ("17:40", "剧情片"), ("19:50", "高清大片"), ("22:00", "犯罪片"), ("00:10", "夜场电影")]),
    ("tovanJC", "高清剧场", "#8e6c3a", "高清剧场：电视剧连播", [
        ("08:00", "家庭剧 第12集"), ("09:50", "家庭剧 第13集"), ("12:00", "古装剧 第3集"), ("13:50", "古装剧 第4集"),
        ("15:40", "都市剧 第21集"), ("19:30", "黄金剧场 第1集"), ("20:20", "黄金剧场 第2集"), ("22:10", "悬疑剧 第7集")]),
]

PAGE = """<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gbk">
<title>{title} - Tovanis网络电视</title>
<style>
html, body {{ margin: 0; height: 100%; }}
body {{ font-family: "WenQuanYi Micro Hei", "Microsoft YaHei", sans-serif; font-size: 13px;
       background: #0f1420; color: #e6ebf5; overflow: hidden; }}
header {{ height: 42px; padding: 0 14px 0 230px; display: flex; align-items: center;
          background: linear-gradient(#222b3f, #151b29); border-bottom: 2px solid {accent}; }}
header h1 {{ margin: 0; font-size: 17px; font-weight: normal; white-space: nowrap; }}
header span {{ margin-left: 14px; color: #9fb0cc; white-space: nowrap; }}
nav {{ padding: 6px 10px 6px 18px; background: #131a28; white-space: nowrap; overflow: hidden; }}
nav a {{ color: #b8c6e0; text-decoration: none; margin-right: 12px; }}
nav a.here {{ color: #fff; border-bottom: 2px solid {accent}; }}
main {{ display: flex; gap: 10px; padding: 10px 10px 10px 18px; height: calc(100% - 96px); box-sizing: border-box; }}
#player {{ flex: 1; position: relative; background: radial-gradient(circle at 50% 45%, #26324d, #05070c 75%);
           border: 1px solid #2c3650; display: flex; align-items: center; justify-content: center; }}
#player video {{ position: absolute; left: 0; top: 0; width: 100%; height: 100%; object-fit: contain; }}
#player .status {{ position: absolute; left: 0; right: 0; bottom: 10px; text-align: center; color: #9fb0cc; }}
#player.playing .status {{ display: none; }}
#list {{ width: 220px; background: #161e2e; border: 1px solid #2c3650; overflow: hidden; }}
#list h2 {{ margin: 0; padding: 7px 10px; font-size: 14px; font-weight: normal; background: {accent}; color: #fff; }}
#list ol {{ list-style: none; margin: 0; padding: 4px 0; }}
#list li {{ padding: 5px 10px; border-bottom: 1px solid #222b3f; white-space: nowrap; }}
#list li b {{ display: inline-block; width: 46px; color: {accent}; font-weight: normal; }}
</style>
</head>
<body>
<header><h1>{title}</h1><span>{source}</span></header>
<nav>{nav}</nav>
<main>
<div id="player"><video controls autoplay data-role="tvSite" data-src="{stream}" data-live></video>
<div class="status">{title}：正在连接节目信号……</div></div>
<div id="list"><h2>今日节目单</h2><ol>
{items}
</ol></div>
</main>
<script>{script}</script>
</body>
</html>
"""

# The channel's player: the shell names its servers in window.portalServers; the channel is
# a loop on the TV site server that the page joins where the clock stands, as if it were live.
SCRIPT = """
(function () {
    var box = document.getElementById('player');
    var video = box.querySelector('video');
    var status = box.querySelector('.status');
    var host = (window.portalServers || {}).tvSite;
    if (!host) {
        status.textContent = '未找到节目服务器';
        return;
    }
    video.loop = true;
    video.addEventListener('loadedmetadata', function () {
        if (isFinite(video.duration) && video.duration > 0)
            video.currentTime = (Date.now() / 1000) % video.duration;
    }, { once: true });
    video.addEventListener('playing', function () { box.className = 'playing'; });
    video.addEventListener('error', function () {
        box.className = '';
        status.textContent = '节目信号中断，请稍后再试';
    });
    video.addEventListener('dblclick', function (event) {
        event.preventDefault();
        if (document.fullscreenElement)
            document.exitFullscreen();
        else
            video.requestFullscreen();
    });
    video.src = 'http://' + host + video.dataset.src;
    var playing = video.play();
    if (playing)
        playing.catch(function () { });
})();
"""


def page(index):
    name, title, accent, source, programmes = CHANNELS[index]
    nav = "".join('<a href="{0}.ocx"{1}>{2}</a>'.format(other, ' class="here"' if other == name else "", caption)
                  for other, caption, *_ in CHANNELS)
    items = "\n".join("<li><b>{0}</b>{1}</li>".format(time, show) for time, show in programmes)
    # Neighbouring channels carry different streams, so a switch changes the picture.
    stream = "/tvsource/live/channel{0}.webm".format(1 + index % 2)
    return PAGE.format(title=title, accent=accent, source=source, nav=nav, items=items, stream=stream, script=SCRIPT)


def main(folder):
    os.makedirs(folder, exist_ok=True)
    for index, channel in enumerate(CHANNELS):
        with open(os.path.join(folder, channel[0] + ".ocx"), "wb") as f:
            f.write(page(index).replace("\n", "\r\n").encode("gbk"))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "../../data/bin"))
