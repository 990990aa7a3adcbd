// The four countdowns of the globe's page, counted as the program counts
// them: whole days between the local date and time and the target at 00:00,
// in either direction, truncated. Christmas is this year's 25 December (after
// it has passed, the days since); Christmas Eve this year's 24 December, or
// next year's from 25 December on; New Year and Julian Christmas next year's
// 1 and 7 January. The time beside a count runs to (or since) the target.
//
// A test aid: "?now=2026-12-20T10:00" (or with seconds) fixes the local time
// the page counts from, and stops the clock there.
(function () {
  "use strict";
  var DAY = 86400000;

  function fixedNow() {
    var m = /[?&]now=(\d{4})-(\d\d)-(\d\d)T(\d\d):(\d\d)(?::(\d\d))?/.exec(location.search);
    if (!m) return null;
    return new Date(+m[1], +m[2] - 1, +m[3], +m[4], +m[5], +(m[6] || 0));
  }

  // Wall-clock time as a count of milliseconds, free of daylight saving
  // jumps: the program's dates are wall-clock dates too.
  function wall(y, mo, d, h, mi, s) {
    return Date.UTC(y, mo - 1, d, h || 0, mi || 0, s || 0);
  }

  function two(n) {
    return (n < 10 ? "0" : "") + n;
  }

  function show(now) {
    var y = now.getFullYear(), mo = now.getMonth() + 1, d = now.getDate();
    var at = wall(y, mo, d, now.getHours(), now.getMinutes(), now.getSeconds());
    var eveYear = mo === 12 && d > 24 ? y + 1 : y;
    var targets = {
      "christmas": [y, 12, 25],
      "christmas-eve": [eveYear, 12, 24],
      "new-year": [y + 1, 1, 1],
      "julian": [y + 1, 1, 7]
    };
    var lang = document.documentElement.lang;
    Object.keys(targets).forEach(function (id) {
      var row = document.getElementById(id);
      if (!row) return;
      var t = targets[id];
      var gap = Math.abs(wall(t[0], t[1], t[2]) - at);
      var rest = Math.floor((gap % DAY) / 1000);
      row.querySelector(".days").textContent = String(Math.floor(gap / DAY));
      row.querySelector(".time").textContent =
        two(Math.floor(rest / 3600)) + ":" + two(Math.floor(rest / 60) % 60) + ":" + two(rest % 60);
      var date = new Date(t[0], t[1] - 1, t[2]);
      row.querySelector(".date").textContent =
        date.toLocaleDateString(lang, { day: "numeric", month: "long", year: "numeric" });
    });
  }

  var fixed = fixedNow();
  show(fixed || new Date());
  if (!fixed) setInterval(function () { show(new Date()); }, 1000);
})();
