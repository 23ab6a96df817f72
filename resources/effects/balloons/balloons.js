// Balloons: bright balloons on curling strings rise from below the screen,
// swaying gently, and drift off at the top. New ones stop coming after
// 22 seconds; the effect ends once the last one has gone.
(function () {
  "use strict";
  var LAUNCH_FOR = 22000, END_AT = 40000;
  var COLOURS = ["#ff4d6d", "#ffb703", "#3a86ff", "#8338ec", "#06d6a0", "#fb5607", "#ff006e"];
  var canvas = document.getElementById("sky");
  var ctx = canvas.getContext("2d");
  var width = 0, height = 0, balloons = [], start = performance.now(), nextLaunch = 0;

  function resize() {
    width = canvas.width = window.innerWidth;
    height = canvas.height = window.innerHeight;
  }

  function launch() {
    var size = 28 + Math.random() * 26;
    balloons.push({
      x: size + Math.random() * (width - 2 * size),
      y: height + size * 2,
      size: size,
      rise: 60 + Math.random() * 60,
      sway: 15 + Math.random() * 30,
      phase: Math.random() * Math.PI * 2,
      colour: COLOURS[Math.floor(Math.random() * COLOURS.length)]
    });
  }

  function drawBalloon(b, x) {
    var w = b.size, h = b.size * 1.25;
    // String: a soft curve below the knot.
    ctx.strokeStyle = "rgba(240,240,240,0.8)";
    ctx.lineWidth = 1.2;
    ctx.beginPath();
    ctx.moveTo(x, b.y + h);
    ctx.bezierCurveTo(x - 10, b.y + h + 30, x + 10, b.y + h + 55, x - 4, b.y + h + 85);
    ctx.stroke();
    // Body with a light from the upper left.
    var shade = ctx.createRadialGradient(x - w * 0.35, b.y - h * 0.4, w * 0.1, x, b.y, h * 1.1);
    shade.addColorStop(0, "rgba(255,255,255,0.9)");
    shade.addColorStop(0.25, b.colour);
    shade.addColorStop(1, "rgba(0,0,0,0.35)");
    ctx.fillStyle = b.colour;
    ctx.beginPath();
    ctx.ellipse(x, b.y, w, h, 0, 0, Math.PI * 2);
    ctx.fill();
    ctx.fillStyle = shade;
    ctx.globalAlpha = 0.55;
    ctx.fill();
    ctx.globalAlpha = 1;
    // Knot.
    ctx.fillStyle = b.colour;
    ctx.beginPath();
    ctx.moveTo(x, b.y + h - 2);
    ctx.lineTo(x - 6, b.y + h + 8);
    ctx.lineTo(x + 6, b.y + h + 8);
    ctx.closePath();
    ctx.fill();
  }

  var last = start;
  function frame(now) {
    var t = now - start, dt = Math.min(0.05, (now - last) / 1000);
    last = now;
    if (t < LAUNCH_FOR && t >= nextLaunch) {
      launch();
      nextLaunch = t + 500 + Math.random() * 900;
    }
    ctx.clearRect(0, 0, width, height);
    for (var i = balloons.length - 1; i >= 0; i--) {
      var b = balloons[i];
      b.y -= b.rise * dt;
      b.phase += dt * 1.3;
      if (b.y < -b.size * 4) { balloons.splice(i, 1); continue; }
      drawBalloon(b, b.x + Math.sin(b.phase) * b.sway);
    }
    if ((t > LAUNCH_FOR && balloons.length === 0) || t > END_AT) { window.close(); return; }
    requestAnimationFrame(frame);
  }

  window.addEventListener("resize", resize);
  resize();
  requestAnimationFrame(frame);
})();
