"use strict";
// Touch controls: buttons that hold keys through the game's touch source, a tap
// on the picture that is Enter, and full screen offered on the first tap.
(function () {
  var controls = [["left", "Left", "ArrowLeft", "◀"], ["right", "Right", "ArrowRight", "▶"],
                  ["fire", "Fire", "Space", "●"], ["start", "Start", "Enter", "Start"]];
  var box = document.createElement("div");
  box.id = "touch";
  var buttons = controls.map(function (c) {
    var b = document.createElement("button");
    b.type = "button";
    b.id = "touch-" + c[0];
    b.setAttribute("aria-label", c[1]);
    b.textContent = c[3];
    b.dataset.code = c[2];
    box.appendChild(b);
    return b;
  });
  document.body.appendChild(box);
  var held = {};  // touch identifier -> button it holds

  function send(code, down) {
    var game = window.vexar;
    if (game && game.keyEvent) game.keyEvent(game.keySources.touch, code, down);
  }
  function press(button, down) {
    button.classList.toggle("pressed", down);
    send(button.dataset.code, down);
  }
  function buttonAt(x, y) {
    var el = document.elementFromPoint(x, y);
    return buttons.indexOf(el) >= 0 ? el : null;
  }
  function count(button) {
    return Object.keys(held).filter(function (id) { return held[id] === button; }).length;
  }
  // A finger holds the button under it; sliding to another one switches.
  function hold(id, button) {
    var old = held[id] || null;
    if (old === button) return;
    if (button) held[id] = button; else delete held[id];
    if (old && count(old) === 0) press(old, false);
    if (button && count(button) === 1) press(button, true);
  }
  function releaseAll() {
    Object.keys(held).forEach(function (id) { hold(id, null); });
  }

  var offered = false;
  function offerFullScreen() {
    if (offered) return;
    offered = true;
    var root = document.documentElement;
    if (document.fullscreenElement || !root.requestFullscreen) return;
    root.requestFullscreen().then(function () {
      if (screen.orientation && screen.orientation.lock) return screen.orientation.lock("landscape");
    }).catch(function () {});
  }

  function onTouch(e) {
    document.documentElement.classList.add("touch");
    var ended = e.type === "touchend" || e.type === "touchcancel";
    var onGame = false;
    Array.prototype.forEach.call(e.changedTouches, function (t) {
      var button = ended ? null : buttonAt(t.clientX, t.clientY);
      if (e.type === "touchstart" && !button && t.target && t.target.id === "game") onGame = true;
      hold(t.identifier, button);
    });
    if (e.type === "touchstart") offerFullScreen();
    // A tap on the picture is Enter on the screens that wait for it; in play
    // the game takes no Enter, so it does no harm there.
    if (onGame) { send("Enter", true); send("Enter", false); }
    var target = e.target;
    if (target && target.closest && target.closest("#game, #touch")) e.preventDefault();
  }
  ["touchstart", "touchmove", "touchend", "touchcancel"].forEach(function (type) {
    document.addEventListener(type, onTouch, { passive: false });
  });
  buttons.forEach(function (b) {
    b.addEventListener("contextmenu", function (e) { e.preventDefault(); });
  });
  document.addEventListener("visibilitychange", function () { if (document.hidden) releaseAll(); });
  window.addEventListener("blur", releaseAll);
  window.addEventListener("pagehide", releaseAll);
})();
