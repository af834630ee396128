// The player of the portal's play pages. Each <video data-src="/path" data-role="ROLE">
// plays the video at that path on the server of that role. The program showing the page
// names its servers in window.portalServers ({filmMirror: "host:port", tvSite: ...}); a
// page opened anywhere else finds its video on the server it came from.
(function () {
    'use strict';
    var servers = window.portalServers || {};

    function start(video) {
        var host = servers[video.dataset.role] || location.host;
        if (video.hasAttribute('data-live')) {
            // A channel is on the air whether anyone watches: join it where the clock is.
            video.loop = true;
            video.addEventListener('loadedmetadata', function () {
                if (isFinite(video.duration) && video.duration > 0)
                    video.currentTime = (Date.now() / 1000) % video.duration;
            }, { once: true });
        }
        // A double click on the picture toggles full screen, as desktop players do.
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
    }

    document.querySelectorAll('video[data-src]').forEach(start);
})();
