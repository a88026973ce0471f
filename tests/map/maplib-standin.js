// A stand-in of the map library for the map page's tests: the classes that the page uses (Map,
// Point, Marker, Polyline, events), drawn plainly over a light street grid, and the state that the
// page left, as JSON in a text area (#maplib_state) that the test reads.
(function () {
  var SVG = 'http://www.w3.org/2000/svg';
  var map = null;
  var markers = [];
  var lines = [];

  function Point(lat, lng) { this.lat = lat; this.lng = lng; }

  function MapView(element, options) {
    map = this;
    this.center = options.center;
    this.zoom = options.zoom;
    this.type = options.type;
    this.svg = document.createElementNS(SVG, 'svg');
    this.svg.setAttribute('style', 'position:absolute;left:0;top:0;width:100%;height:100%;background:#eeebe3');
    element.appendChild(this.svg);
    render();
  }
  MapView.prototype.getType = function () { return this.type; };
  MapView.prototype.panTo = function (point) { this.center = point; render(); };

  function Marker(o) { this.title = o.title; this.icon = o.icon; this.position = o.position; markers.push(this); render(); }
  Marker.prototype.remove = function () { drop(markers, this); };

  function Polyline(o) { this.path = o.path.slice(); this.options = o; this.click = null; lines.push(this); render(); }
  Polyline.prototype.addPoint = function (point) { this.path.push(point); render(); };
  Polyline.prototype.remove = function () { drop(lines, this); };

  function drop(list, item) { list.splice(list.indexOf(item), 1); render(); }

  function node(name, attributes) {
    var n = document.createElementNS(SVG, name);
    Object.keys(attributes).forEach(function (k) { n.setAttribute(k, attributes[k]); });
    map.svg.appendChild(n);
  }

  // Plate carree at the map's zoom: 256 * 2^zoom pixels round the world.
  function xy(point) {
    var scale = 256 * Math.pow(2, map.zoom) / 360;
    var box = map.svg.getBoundingClientRect();
    return [box.width / 2 + (point.lng - map.center.lng) * scale, box.height / 2 - (point.lat - map.center.lat) * scale];
  }

  function drawStreets() {
    var step = 0.002;
    for (var i = -6; i <= 6; i++) {
      var a = xy(new Point(Math.round(map.center.lat / step + i) * step, map.center.lng));
      var b = xy(new Point(map.center.lat, Math.round(map.center.lng / step + i) * step));
      node('line', { x1: 0, x2: 4000, y1: a[1], y2: a[1], stroke: '#ffffff', 'stroke-width': 9 });
      node('line', { x1: b[0], x2: b[0], y1: 0, y2: 4000, stroke: '#ffffff', 'stroke-width': 9 });
    }
  }

  function state() {
    var out = document.getElementById('maplib_state');
    if (!out) { out = document.createElement('textarea'); out.id = 'maplib_state'; out.hidden = true; document.body.appendChild(out); }
    return out;
  }

  function render() {
    var track = lines.filter(function (l) { return !l.click; });
    state().value = JSON.stringify({
      map: map && [map.center.lat, map.center.lng, map.zoom, map.type],
      markers: markers.map(function (m) { return m.title + ' ' + m.icon; }),
      track: track.map(function (l) { return l.path.length; }),
      segments: lines.length - track.length
    });
    if (!map) return;
    map.svg.replaceChildren();
    drawStreets();
    track.forEach(function (l) {
      node('polyline', { points: l.path.map(xy).join(' '), fill: 'none', stroke: l.options.color,
                         'stroke-width': l.options.weight, 'stroke-opacity': l.options.opacity });
    });
    markers.forEach(function (m) {
      var p = xy(m.position);
      node('image', { href: m.icon, x: p[0] - 16, y: p[1] - 16, width: 32, height: 32 });
    });
  }

  window.MapLib = {
    Map: MapView, Point: Point, Marker: Marker, Polyline: Polyline,
    events: { on: function (target, name, handler) { if (name === 'click') target.click = handler; render(); } }
  };
  // The test's click on the newest clickable segment.
  window.clickLastSegment = function () {
    var clickable = lines.filter(function (l) { return l.click; });
    if (clickable.length) clickable[clickable.length - 1].click();
  };
})();
