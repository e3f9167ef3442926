// Live map: polls the aircraft document once per refresh, draws markers, labels, trails and the table.
'use strict';
(function () {
  const NM = 1852;
  const TRAIL_POINTS = 600;
  const state = {
    home: null, refresh: 1000, selected: null, sortKey: 'alt', sortDown: true,
    planes: new Map(), // hex -> { data, marker, trail, line }
    lastMessages: null, lastNow: null, rate: 0, polls: 0, doc: null,
  };

  const map = L.map('map', { worldCopyJump: true, zoomSnap: 0.5 }).setView([50, 10], 5);

  // Offline basemap: our outline and a graticule; the online tiles only when asked for.
  const offline = L.layerGroup().addTo(map);
  for (let lat = -80; lat <= 80; lat += 10)
    L.polyline([[lat, -180], [lat, 180]], { color: '#7d9cb8', weight: 0.6, interactive: false }).addTo(offline);
  for (let lon = -180; lon <= 180; lon += 10)
    L.polyline([[-85, lon], [85, lon]], { color: '#7d9cb8', weight: 0.6, interactive: false }).addTo(offline);
  fetch('world.geojson').then(r => r.json()).then(g => {
    L.geoJSON(g, { style: { color: '#8a8470', weight: 1, fillColor: '#efe9d6', fillOpacity: 1 }, interactive: false }).addTo(offline);
    offline.eachLayer(l => { if (l.bringToBack && l instanceof L.GeoJSON) l.bringToBack(); });
  }).catch(() => status('no basemap outline'));
  const online = L.tileLayer('https://tile.openstreetmap.org/{z}/{x}/{y}.png', {
    maxZoom: 18, attribution: '&copy; OpenStreetMap contributors',
  });
  L.control.layers({ 'Offline outline': offline }, { 'Online map (internet)': online }, { collapsed: true }).addTo(map);
  L.control.scale({ imperial: true, metric: true }).addTo(map);

  function status(text) { document.getElementById('status').textContent = text || ''; }

  function altitudeOf(p) {
    if (p.alt_baro === 'ground') return 0;
    if (typeof p.alt_baro === 'number') return p.alt_baro;
    if (typeof p.alt_geom === 'number') return p.alt_geom;
    return null;
  }

  // Orange near the ground through green and blue to violet at 40000 ft and above.
  function colourOf(p) {
    if (p.alt_baro === 'ground') return '#6b6b6b';
    const a = altitudeOf(p);
    if (a === null) return '#333333';
    const f = Math.max(0, Math.min(1, a / 40000));
    return 'hsl(' + Math.round(25 + f * 255) + ',80%,42%)';
  }

  function levelText(p) {
    if (p.alt_baro === 'ground') return 'GND';
    const a = altitudeOf(p);
    if (a === null) return '';
    return 'FL' + String(Math.round(a / 100)).padStart(3, '0');
  }

  function esc(s) {
    return String(s).replace(/[&<>"]/g, c => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' }[c]));
  }

  const PLANE = 'M0,-12 L2,-4 L11,2 L11,4.5 L2,1.5 L1.5,8 L4.5,10.5 L4.5,12 L0,11 L-4.5,12 L-4.5,10.5 L-1.5,8 ' +
                'L-2,1.5 L-11,4.5 L-11,2 L-2,-4 Z';

  function iconOf(p, selected) {
    const rot = typeof p.track === 'number' ? p.track : (typeof p.mag_heading === 'number' ? p.mag_heading : 0);
    const call = (p.flight || '').trim() || p.hex;
    const html = '<svg width="28" height="28" viewBox="-14 -14 28 28" data-hex="' + esc(p.hex) + '">' +
      '<path d="' + PLANE + '" transform="rotate(' + rot + ')" fill="' + colourOf(p) + '" stroke="#fff" stroke-width="1"/></svg>' +
      '<div class="label">' + esc(call) + '<br>' + esc(levelText(p)) + '</div>';
    return L.divIcon({ html: html, className: 'plane' + (selected ? ' selected' : ''), iconSize: [28, 28], iconAnchor: [14, 14] });
  }

  function distanceNm(p) {
    if (!state.home || typeof p.lat !== 'number') return null;
    return map.distance([state.home.lat, state.home.lon], [p.lat, p.lon]) / NM;
  }

  function hasPosition(p) { return typeof p.lat === 'number' && typeof p.lon === 'number'; }

  function addTrailPoint(entry, p) {
    if (!hasPosition(p)) return;
    const t = entry.trail;
    const last = t[t.length - 1];
    if (last && last[0] === p.lat && last[1] === p.lon) return;
    t.push([p.lat, p.lon]);
    if (t.length > TRAIL_POINTS) t.shift();
  }

  function entryOf(hex) {
    let e = state.planes.get(hex);
    if (!e) {
      e = { data: null, marker: null, trail: [], line: null };
      state.planes.set(hex, e);
    }
    return e;
  }

  function drawPlane(hex, e) {
    const p = e.data;
    const selected = hex === state.selected;
    if (hasPosition(p)) {
      if (!e.marker) {
        e.marker = L.marker([p.lat, p.lon], { icon: iconOf(p, selected), keyboard: false }).addTo(map);
        e.marker.on('click', () => select(hex, 'map'));
      } else {
        e.marker.setLatLng([p.lat, p.lon]);
        e.marker.setIcon(iconOf(p, selected));
      }
      e.marker.setZIndexOffset(selected ? 1000 : 0);
    }
    if (e.trail.length > 1) {
      const style = { color: colourOf(p), weight: selected ? 3 : 2, opacity: 0.8, interactive: false };
      if (!e.line) e.line = L.polyline(e.trail, style).addTo(map);
      else { e.line.setLatLngs(e.trail); e.line.setStyle(style); }
    }
  }

  function forget(hex, e) {
    if (e.marker) map.removeLayer(e.marker);
    if (e.line) map.removeLayer(e.line);
    state.planes.delete(hex);
    if (state.selected === hex) state.selected = null;
  }

  const columns = [
    { key: 'hex', text: p => p.hex },
    { key: 'flight', text: p => (p.flight || '').trim() },
    { key: 'squawk', text: p => p.squawk || '' },
    { key: 'alt', num: true, value: p => altitudeOf(p), text: p => p.alt_baro === 'ground' ? 'ground' : (altitudeOf(p) ?? '') },
    { key: 'gs', num: true, value: p => p.gs ?? null, text: p => p.gs ?? '' },
    { key: 'track', num: true, value: p => p.track ?? null, text: p => p.track ?? '' },
    { key: 'dist', num: true, value: p => distanceNm(p), text: p => { const d = distanceNm(p); return d === null ? '' : d.toFixed(1); } },
    { key: 'messages', num: true, value: p => p.messages ?? null, text: p => p.messages ?? '' },
    { key: 'seen', num: true, value: p => p.seen ?? null, text: p => p.seen ?? '' },
  ];

  function sortValue(col, p) {
    if (col.value) return col.value(p);
    const t = col.text(p);
    return t === '' ? null : t;
  }

  function drawTable() {
    const col = columns.find(c => c.key === state.sortKey) || columns[0];
    const rows = Array.from(state.planes.entries()).map(([hex, e]) => e.data);
    rows.sort((a, b) => {
      const va = sortValue(col, a), vb = sortValue(col, b);
      if (va === null && vb === null) return a.hex < b.hex ? -1 : 1;
      if (va === null) return 1; // unknowns last either way
      if (vb === null) return -1;
      const c = va < vb ? -1 : va > vb ? 1 : (a.hex < b.hex ? -1 : 1);
      return state.sortDown ? -c : c;
    });
    const html = rows.map(p => {
      const cls = [p.hex === state.selected ? 'selected' : '',
                   p.emergency && p.emergency !== 'none' ? 'emergency' : ''].join(' ').trim();
      return '<tr data-hex="' + esc(p.hex) + '"' + (cls ? ' class="' + cls + '"' : '') + '>' +
        columns.map(c => '<td' + (c.num ? ' class="num"' : '') + '>' + esc(c.text(p)) + '</td>').join('') + '</tr>';
    }).join('');
    document.querySelector('#table tbody').innerHTML = html;
    document.querySelectorAll('#table th').forEach(th => {
      th.classList.toggle('sorted', th.dataset.key === state.sortKey);
      th.classList.toggle('down', th.dataset.key === state.sortKey && state.sortDown);
    });
    document.getElementById('count').textContent = String(rows.length);
    document.getElementById('rate').textContent = state.rate.toFixed(1);
  }

  function select(hex, from) {
    const before = state.selected;
    state.selected = hex === before ? null : hex;
    for (const h of [before, state.selected]) {
      const e = h && state.planes.get(h);
      if (e && e.data) drawPlane(h, e);
    }
    drawTable();
    const e = state.selected && state.planes.get(state.selected);
    if (!e) return;
    if (from === 'table' && e.marker) map.panTo(e.marker.getLatLng());
    if (from === 'map') {
      const row = document.querySelector('#table tbody tr[data-hex="' + state.selected + '"]');
      if (row) row.scrollIntoView({ block: 'nearest' });
    }
  }

  document.querySelector('#table tbody').addEventListener('click', ev => {
    const row = ev.target.closest('tr[data-hex]');
    if (row) select(row.dataset.hex, 'table');
  });
  document.querySelectorAll('#table th').forEach(th => th.addEventListener('click', () => {
    if (state.sortKey === th.dataset.key) state.sortDown = !state.sortDown;
    else { state.sortKey = th.dataset.key; state.sortDown = th.dataset.key === 'alt' || th.dataset.key === 'messages'; }
    drawTable();
  }));

  let fitted = false;
  function apply(doc) {
    if (state.lastNow !== null && doc.now > state.lastNow)
      state.rate = Math.max(0, (doc.messages - state.lastMessages) / (doc.now - state.lastNow));
    if (state.lastNow === null || doc.now > state.lastNow) {
      state.lastNow = doc.now;
      state.lastMessages = doc.messages;
    }
    state.doc = doc;
    const present = new Set();
    for (const p of doc.aircraft) {
      present.add(p.hex);
      const e = entryOf(p.hex);
      e.data = p;
      addTrailPoint(e, p);
      drawPlane(p.hex, e);
    }
    for (const [hex, e] of Array.from(state.planes.entries()))
      if (!present.has(hex)) forget(hex, e);
    if (!fitted && !state.home) {
      const pts = doc.aircraft.filter(hasPosition).map(p => [p.lat, p.lon]);
      if (pts.length) { map.fitBounds(L.latLngBounds(pts).pad(0.3), { maxZoom: 9 }); fitted = true; }
    }
    drawTable();
    state.polls++;
  }

  function poll() {
    fetch('data/aircraft.json', { cache: 'no-cache' })
      .then(r => { if (!r.ok) throw new Error('HTTP ' + r.status); return r.json(); })
      .then(doc => { apply(doc); status(''); })
      .catch(err => status('no data: ' + err.message))
      .finally(() => setTimeout(poll, state.refresh));
  }

  function showHome(rx) {
    if (typeof rx.lat !== 'number' || typeof rx.lon !== 'number') return;
    state.home = { lat: rx.lat, lon: rx.lon };
    L.circleMarker([rx.lat, rx.lon], { radius: 5, color: '#b00', fillColor: '#f44', fillOpacity: 1 })
      .bindTooltip('Home', { permanent: false }).addTo(map);
    for (const nm of [50, 100, 150, 200]) {
      L.circle([rx.lat, rx.lon], { radius: nm * NM, color: '#b04040', weight: 1, fill: false, dashArray: '4 4', interactive: false }).addTo(map);
      L.marker([rx.lat + nm * NM / 111320, rx.lon], {
        icon: L.divIcon({ className: 'home-label', html: nm + ' NM', iconSize: [44, 12], iconAnchor: [22, 6] }), interactive: false,
      }).addTo(map);
    }
    map.setView([rx.lat, rx.lon], 7);
  }

  // Trails from the history files, oldest first, before the first poll.
  function loadHistory(n) {
    const loads = [];
    for (let i = 0; i < n; ++i)
      loads.push(fetch('data/history_' + i + '.json').then(r => r.ok ? r.json() : null).catch(() => null));
    return Promise.all(loads).then(docs => {
      docs.filter(d => d && Array.isArray(d.aircraft)).sort((a, b) => a.now - b.now).forEach(d => {
        for (const p of d.aircraft) addTrailPoint(entryOf(p.hex), p);
      });
      // Entries with no current data stay hidden until the aircraft document names them.
    });
  }

  fetch('data/receiver.json')
    .then(r => r.json())
    .then(rx => {
      if (rx.refresh > 0) state.refresh = rx.refresh;
      showHome(rx);
      return loadHistory(rx.history || 0);
    })
    .catch(err => status('no receiver data: ' + err.message))
    .finally(() => {
      // History-only entries have no data yet: keep only their trails.
      poll();
    });

  // Self-check for the headless browser test: a row click must select its marker.
  if (location.hash === '#selftest') {
    const check = () => {
      const rows = Array.from(document.querySelectorAll('#table tbody tr'));
      const firstWithMarker = rows.find(r => { const e = state.planes.get(r.dataset.hex); return e && e.marker; });
      if (state.polls < 3 || !firstWithMarker) { setTimeout(check, 200); return; }
      const hex = firstWithMarker.dataset.hex;
      firstWithMarker.dispatchEvent(new MouseEvent('click', { bubbles: true }));
      const e = state.planes.get(hex);
      const markerEl = e.marker.getElement();
      const report = {
        now: state.doc.now,
        document: state.doc.aircraft.map(p => p.hex).sort(),
        rows: Array.from(document.querySelectorAll('#table tbody tr')).map(r =>
          Array.from(r.cells).map(c => c.textContent)),
        markers: Array.from(document.querySelectorAll('.leaflet-marker-pane .plane svg')).map(s => s.dataset.hex).sort(),
        clicked: hex,
        markerSelected: markerEl.classList.contains('selected'),
        rowSelected: document.querySelector('#table tbody tr.selected')?.dataset.hex === hex,
        count: document.getElementById('count').textContent,
        basemapLayers: offline.getLayers().length,
        foreign: performance.getEntriesByType('resource').map(r => r.name).filter(n => !n.startsWith(location.origin)),
      };
      const pre = document.createElement('pre');
      pre.id = 'selftest';
      pre.style.display = 'none';
      pre.textContent = JSON.stringify(report);
      document.body.appendChild(pre);
    };
    setTimeout(check, 200);
  }
})();
