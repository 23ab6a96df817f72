// Fireworks: rockets climb from the bottom edge and burst into sparks that
// fall under gravity, flicker and fade. A final salvo closes the show.
(function () {
  "use strict";
  var SHOW_FOR = 30000, END_AT = 36000, GRAVITY = 90, ROCKET_GRAVITY = 180;
  var canvas = document.getElementById("sky");
  var ctx = canvas.getContext("2d");
  var width = 0, height = 0, rockets = [], sparks = [];
  var start = performance.now(), nextRocket = 300, finale = false;

  function resize() {
    width = canvas.width = window.innerWidth;
    height = canvas.height = window.innerHeight;
  }

  function fire() {
    // Aim for a burst in the upper half: the climb that gravity stops there.
    var x = width * (0.15 + Math.random() * 0.7);
    var climb = height * (0.55 + Math.random() * 0.3);
    rockets.push({
      x: x, y: height,
      vx: (Math.random() - 0.5) * 60,
      vy: -Math.sqrt(2 * ROCKET_GRAVITY * climb),
      hue: Math.floor(Math.random() * 360)
    });
  }

  function burst(r) {
    var count = 70 + Math.floor(Math.random() * 50);
    var power = 120 + Math.random() * 120;
    for (var i = 0; i < count; i++) {
      var angle = (i / count) * Math.PI * 2, speed = power * (0.6 + Math.random() * 0.4);
      sparks.push({
        x: r.x, y: r.y,
        vx: Math.cos(angle) * speed, vy: Math.sin(angle) * speed,
        life: 1, fade: 0.45 + Math.random() * 0.35,
        hue: r.hue + Math.random() * 40 - 20
      });
    }
  }

  var last = start;
  function frame(now) {
    var t = now - start, dt = Math.min(0.05, (now - last) / 1000);
    last = now;
    if (t < SHOW_FOR && t >= nextRocket) {
      fire();
      nextRocket = t + 600 + Math.random() * 1100;
    }
    if (!finale && t >= SHOW_FOR) {
      finale = true;
      for (var n = 0; n < 6; n++) fire();
    }
    ctx.clearRect(0, 0, width, height);
    ctx.globalCompositeOperation = "lighter";
    for (var i = rockets.length - 1; i >= 0; i--) {
      var r = rockets[i];
      r.x += r.vx * dt;
      r.y += r.vy * dt;
      r.vy += ROCKET_GRAVITY * dt;
      if (r.vy >= -40) { burst(r); rockets.splice(i, 1); continue; }
      // A short glowing trail behind the rocket.
      ctx.strokeStyle = "hsla(" + r.hue + ",100%,75%,0.7)";
      ctx.lineWidth = 2;
      ctx.beginPath();
      ctx.moveTo(r.x, r.y);
      ctx.lineTo(r.x - r.vx * 0.06, r.y - r.vy * 0.06);
      ctx.stroke();
      ctx.fillStyle = "hsla(" + r.hue + ",100%,90%,1)";
      ctx.beginPath();
      ctx.arc(r.x, r.y, 2.5, 0, Math.PI * 2);
      ctx.fill();
    }
    for (var j = sparks.length - 1; j >= 0; j--) {
      var s = sparks[j];
      s.vx *= 1 - 1.2 * dt;
      s.vy = s.vy * (1 - 1.2 * dt) + GRAVITY * dt;
      s.x += s.vx * dt;
      s.y += s.vy * dt;
      s.life -= s.fade * dt;
      if (s.life <= 0) { sparks.splice(j, 1); continue; }
      var flicker = 0.6 + Math.random() * 0.4;
      ctx.fillStyle = "hsla(" + s.hue + ",100%,65%," + (s.life * flicker) + ")";
      ctx.beginPath();
      ctx.arc(s.x, s.y, 1.2 + s.life * 1.8, 0, Math.PI * 2);
      ctx.fill();
    }
    ctx.globalCompositeOperation = "source-over";
    if ((finale && rockets.length === 0 && sparks.length === 0) || t > END_AT) {
      window.close();
      return;
    }
    requestAnimationFrame(frame);
  }

  window.addEventListener("resize", resize);
  resize();
  requestAnimationFrame(frame);
})();
