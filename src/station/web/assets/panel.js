// The browser panel: shows what the station server pushes after every poll cycle and sends the
// keys, the band and the power switch over the same WebSocket. The server keeps control and
// the watchdog; the browser's heartbeat is its answer to the server's pings.
'use strict';
const $ = (id) => document.getElementById(id);
const kHistoryMs = 10 * 60 * 1000;
const kMeters = ['forward', 'reflected', 'swr', 'paCurrent', 'temperature'];
const kSeries = [['seriesForward', 1, 'forward', '#4fb3e8'], ['seriesSwr', 2, 'swr', '#e8b44f'],
  ['seriesTemperature', 3, 'temperature', '#e8584f']];
let T = {}, scales = {}, points = [], control = 'none', socket = null;

function send(message) {
  if (socket && socket.readyState === WebSocket.OPEN) socket.send(JSON.stringify(message));
}

function text(name, value) {
  return (T[name] || '').replace(/%[su]/, value);
}

function connect() {
  socket = new WebSocket((location.protocol === 'https:' ? 'wss://' : 'ws://') + location.host + '/ws');
  socket.onmessage = (event) => {
    const m = JSON.parse(event.data);
    if (m.t === 'hello') hello(m);
    else if (m.t === 'state') state(m);
    else if (m.t === 'result') { $('result').textContent = m.text; $('result').className = m.ok ? '' : 'bad'; }
  };
  socket.onclose = (event) => {
    document.body.classList.add('offline');
    if (event.reason === 'unauthorized') { location.replace('/'); return; }
    badge($('link'), T.disconnected || 'Disconnected', 'bad');
    setTimeout(connect, 2000);
  };
}

function badge(element, caption, kind) {
  element.textContent = caption;
  element.className = 'badge ' + (kind || '');
}

function button(container, caption, known, onClick) {
  const b = document.createElement('button');
  b.type = 'button';
  b.textContent = caption;
  b.dataset.known = known ? '1' : '';
  b.onclick = onClick;
  container.appendChild(b);
  return b;
}

function hello(m) {
  T = m.texts;
  scales = m.scales;
  points = m.history;
  document.title = T.title;
  document.querySelectorAll('[data-t]').forEach((e) => { e.textContent = T[e.dataset.t]; });
  $('watchdog').textContent = T.watchdog;
  $('meters').textContent = '';
  for (const name of kMeters) {
    const row = document.createElement('div');
    row.className = 'meter';
    row.innerHTML = '<span></span><span class="value" id="v-' + name + '"></span>'
      + '<div class="bar"><div class="fill" id="f-' + name + '"></div></div>';
    row.firstChild.textContent = T[name] + (name === 'paCurrent' ? ' ' + T.unitA : '');
    $('meters').appendChild(row);
  }
  $('facts').textContent = '';
  for (const [name, caption] of [['frequency', T.frequency], ['band', T.band], ['antenna', T.antenna],
    ['input', T.input], ['paVoltage', T.paVoltage]]) {
    const dt = document.createElement('dt'), dd = document.createElement('dd');
    dt.textContent = caption;
    dd.id = 'd-' + name;
    $('facts').append(dt, dd);
  }
  $('keys').textContent = '';
  for (const key of m.keys) button($('keys'), key.name, key.known, () => send({t: 'key', key: key.name}));
  $('bands').textContent = '';
  m.bands.forEach((band, n) => { button($('bands'), band.label, band.known, () => send({t: 'band', band: n})).id = 'band-' + band.label; });
  $('on').onclick = () => send({t: 'power', on: true});
  $('off').onclick = () => send({t: 'power', on: false});
  $('on').dataset.known = $('off').dataset.known = '1';
  $('take').onclick = () => send({t: control === 'you' ? 'release' : 'control'});
  $('legend').textContent = '';
  for (const [caption, , , colour] of kSeries) {
    const s = document.createElement('span');
    s.textContent = '\u25A0 ' + T[caption];
    s.style.color = colour;
    $('legend').appendChild(s);
  }
}

function shown(value, unit) {
  return value === null || value === undefined ? '\u2013' : value + (unit ? ' ' + unit : '');
}

function meter(name, value, marks) {
  const [min, max] = scales[name];
  const [caution, danger] = marks || scales[name].slice(2);
  const number = value === null ? null : Number(value);
  const fill = $('f-' + name);
  $('v-' + name).textContent = shown(value);
  fill.style.width = number === null ? '0' : Math.max(0, Math.min(100, (number - min) / (max - min) * 100)) + '%';
  fill.className = 'fill' + (number === null ? '' : number >= danger ? ' danger' : number >= caution ? ' caution' : '');
  const at = (v) => ((v - min) / (max - min) * 100) + '%';
  fill.parentNode.style.background = 'linear-gradient(to right, #2c353d ' + at(caution) + ', #4a3f22 ' + at(caution)
    + ' ' + at(danger) + ', #4d2624 ' + at(danger) + ')';
}

function state(m) {
  const r = m.r;
  document.body.classList.remove('offline');
  document.body.classList.toggle('stale', !m.fresh);
  $('stale').hidden = m.fresh;
  $('stale').textContent = T.notCurrent + (m.at ? ' (' + m.at + ')' : '') + ': ' + m.link;
  $('stale').title = T.notLive;
  badge($('link'), m.link, m.contact ? 'good' : 'bad');
  control = m.control;
  badge($('control'), control === 'you' ? T.controlYou : control === 'other' ? text('controlOther', m.controller)
    : T.controlNone, control === 'you' ? 'you' : '');
  $('browsers').textContent = text('viewers', m.browsers);
  $('take').textContent = control === 'you' ? T.release : T.take;
  $('take').disabled = control === 'other';
  document.querySelectorAll('button[data-known]').forEach((b) => { b.disabled = control !== 'you' || !b.dataset.known; });
  $('display').textContent = r.display === null ? '' : r.display.replace(/\r\n/g, '\n');
  for (const name of kMeters) meter(name, r[name], name === 'swr' ? m.swrMarks : null);
  $('d-frequency').textContent = shown(r.frequency, T.unitKHz);
  $('d-band').textContent = shown(r.band, 'MHz');
  $('d-antenna').textContent = shown(r.antenna);
  $('d-input').textContent = shown(r.input, 'W');
  $('d-paVoltage').textContent = shown(r.paVoltage, T.unitV);
  document.querySelectorAll('#bands button').forEach((b) => b.classList.toggle('current', b.textContent === r.band));
  indicator($('mode'), r.operate, T.operate, T.standby, 'on', '');
  indicator($('power'), r.power, T.powerOn, T.powerOff, 'good', '');
  indicator($('fault'), r.fault === null ? null : r.fault !== '', T.fault + ': ' + r.fault, T.noFault, 'bad', 'good');
  if (m.point) points.push(m.point);
  while (points.length && points[points.length - 1][0] - points[0][0] > kHistoryMs) points.shift();
  draw();
}

function indicator(element, value, onText, offText, onClass, offClass) {
  element.textContent = value === null || value === undefined ? '\u2013' : value ? onText : offText;
  element.className = 'ind ' + (value ? onClass : value === false ? offClass : '');
}

function draw() {
  const canvas = $('history'), ratio = window.devicePixelRatio || 1;
  canvas.width = canvas.clientWidth * ratio;
  canvas.height = 180 * ratio;
  const g = canvas.getContext('2d'), w = canvas.width, h = canvas.height;
  g.clearRect(0, 0, w, h);
  g.strokeStyle = '#2c353d';
  for (let minute = 1; minute < 10; ++minute) g.strokeRect(w * minute / 10, 0, 0, h);
  const end = points.length ? points[points.length - 1][0] : 0;
  for (const [, column, scale, colour] of kSeries) {
    const [min, max] = scales[scale];
    g.strokeStyle = colour;
    g.lineWidth = 1.5 * ratio;
    g.beginPath();
    let drawing = false, previous = 0;
    for (const point of points) {
      const value = point[column];
      // A gap of readings that were not current stays a gap.
      if (point[0] - previous > 3000) drawing = false;
      previous = point[0];
      if (value === null) { drawing = false; continue; }
      const x = w - (end - point[0]) / kHistoryMs * w;
      const y = h - Math.max(0, Math.min(1, (value - min) / (max - min))) * (h - 4) - 2;
      if (drawing) g.lineTo(x, y); else g.moveTo(x, y);
      drawing = true;
    }
    g.stroke();
  }
}

// The token came in the address once: the cookie holds it now, the address bar need not.
if (location.search.includes('token=')) window.history.replaceState(null, '', '/');
connect();
