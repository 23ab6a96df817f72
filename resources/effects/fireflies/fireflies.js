// Fireflies: a few soft lights wander in a small corner of the screen and
// pulse slowly. A permanent effect: it never ends by itself.
(function () {
  "use strict";
  var COUNT = 7, W = 220, H = 160;
  var canvas = document.getElementById("corner");
  var ctx = canvas.getContext("2d");
  canvas.width = W;
  canvas.height = H;
  var flies = [];
  for (var i = 0; i < COUNT; i++) {
    flies.push({
      x: Math.random() * W, y: Math.random() * H,
      heading: Math.random() * Math.PI * 2,
      speed: 8 + Math.random() * 10,
      pulse: Math.random() * Math.PI * 2,
      rate: 0.6 + Math.random() * 0.8
    });
  }

  var last = performance.now();
  function frame(now) {
    var dt = Math.min(0.05, (now - last) / 1000);
    last = now;
    ctx.clearRect(0, 0, W, H);
    for (var i = 0; i < flies.length; i++) {
      var f = flies[i];
      // Wander: the heading drifts; the edges turn the firefly back inside.
      f.heading += (Math.random() - 0.5) * 2.5 * dt;
      if (f.x < 15 || f.x > W - 15 || f.y < 15 || f.y > H - 15)
        f.heading = Math.atan2(H / 2 - f.y, W / 2 - f.x) + (Math.random() - 0.5);
      f.x += Math.cos(f.heading) * f.speed * dt;
      f.y += Math.sin(f.heading) * f.speed * dt;
      f.pulse += f.rate * dt * Math.PI;
      var glow = 0.25 + 0.75 * Math.pow((Math.sin(f.pulse) + 1) / 2, 2);
      var halo = ctx.createRadialGradient(f.x, f.y, 0, f.x, f.y, 14);
      halo.addColorStop(0, "rgba(230,255,140," + glow + ")");
      halo.addColorStop(0.3, "rgba(190,240,90," + glow * 0.5 + ")");
      halo.addColorStop(1, "rgba(150,220,60,0)");
      ctx.fillStyle = halo;
      ctx.beginPath();
      ctx.arc(f.x, f.y, 14, 0, Math.PI * 2);
      ctx.fill();
    }
    requestAnimationFrame(frame);
  }
  requestAnimationFrame(frame);
})();
