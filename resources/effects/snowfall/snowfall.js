// Snowfall: flakes of three depths fall and sway in a slowly turning wind.
// The snow thickens for a few seconds, falls, thins out and the effect ends.
(function () {
  "use strict";
  var DURATION = 45000, FADE = 6000, MAX_FLAKES = 260;
  var canvas = document.getElementById("sky");
  var ctx = canvas.getContext("2d");
  var width = 0, height = 0, flakes = [], start = performance.now();

  function resize() {
    width = canvas.width = window.innerWidth;
    height = canvas.height = window.innerHeight;
  }

  function newFlake(anywhere) {
    var depth = Math.random();            // 0 far away, 1 close
    return {
      x: Math.random() * width,
      y: anywhere ? Math.random() * height : -10,
      r: 1.2 + depth * 3.8,
      speed: 25 + depth * 70,             // pixels per second
      sway: 10 + Math.random() * 25,
      phase: Math.random() * Math.PI * 2,
      alpha: 0.45 + depth * 0.5,
      shown: anywhere ? 0 : 1             // flakes that appear mid-air fade in
    };
  }

  // How much snow there is now: rises at the start, falls at the end.
  function density(t) {
    if (t < FADE) return t / FADE;
    if (t > DURATION - FADE) return Math.max(0, (DURATION - t) / FADE);
    return 1;
  }

  // Each flake is a soft glow with a crisp core. The few sizes in use are
  // drawn once into small sprites, so a frame only copies images instead of
  // building hundreds of gradients.
  var SIZE_STEPS = 12, sprites = [];
  function spriteFor(r) {
    var step = Math.min(SIZE_STEPS - 1, Math.round((r - 1.2) / 3.8 * (SIZE_STEPS - 1)));
    if (sprites[step]) return sprites[step];
    var radius = 1.2 + step / (SIZE_STEPS - 1) * 3.8;
    var side = Math.ceil(radius * 2) + 2, c = side / 2;
    var sprite = document.createElement("canvas");
    sprite.width = sprite.height = side;
    var g = sprite.getContext("2d");
    var glow = g.createRadialGradient(c, c, 0, c, c, radius);
    glow.addColorStop(0, "rgba(255,255,255,1)");
    glow.addColorStop(1, "rgba(220,235,255,0)");
    g.fillStyle = glow;
    g.beginPath();
    g.arc(c, c, radius, 0, Math.PI * 2);
    g.fill();
    g.fillStyle = "#fff";
    g.beginPath();
    g.arc(c, c, radius * 0.45, 0, Math.PI * 2);
    g.fill();
    return (sprites[step] = sprite);
  }

  var last = start;
  function frame(now) {
    var t = now - start, dt = Math.min(0.05, (now - last) / 1000);
    last = now;
    if (t >= DURATION) { window.close(); return; }
    var wanted = Math.round(MAX_FLAKES * density(t));
    // While the snow thickens, new flakes appear all over the sky at once.
    while (flakes.length < wanted) flakes.push(newFlake(t < FADE));
    var wind = Math.sin(t / 7000) * 30;
    ctx.globalAlpha = 1;
    ctx.clearRect(0, 0, width, height);
    for (var i = flakes.length - 1; i >= 0; i--) {
      var f = flakes[i];
      f.y += f.speed * dt;
      f.phase += dt;
      var x = f.x + Math.sin(f.phase) * f.sway + wind * (f.y / height);
      f.shown = Math.min(1, f.shown + dt / 1.5);
      var alpha = f.alpha * f.shown;
      if (f.y > height + 10) {
        // A flake that lands comes back at the top while the snow lasts.
        if (flakes.length > wanted) { flakes.splice(i, 1); continue; }
        flakes[i] = newFlake(false);
        continue;
      }
      ctx.globalAlpha = alpha;
      var sprite = spriteFor(f.r);
      ctx.drawImage(sprite, x - sprite.width / 2, f.y - sprite.height / 2);
    }
    requestAnimationFrame(frame);
  }

  window.addEventListener("resize", resize);
  resize();
  requestAnimationFrame(frame);
})();
