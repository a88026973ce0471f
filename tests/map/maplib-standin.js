// A stand-in of the map library for the map page's tests: the classes that the page uses (Map,
// Point, Marker, Polyline, events), drawn plainly over a light street grid, and what the page left
// on the map, as JSON in a text area (#maplib_state) that the test reads.
(function () {
  var SVG = 'http://www.w3.org/2000/svg';
  var map = null;
  var markers = [];
  var lines = [];
  var streets = 'repeating-linear-gradient(0deg, #fff 0 8px, transparent 8px 92px), ' +
                'repeating-linear-gradient(90deg, #fff 0 8px, transparent 8px 92px) #eeebe3';

  function Point(lat, lng) { this.lat = lat; this.lng = lng; }
  function MapView(element, options) {
    map = Object.assign(this, options);
    this.svg = element.appendChild(document.createElementNS(SVG, 'svg'));
    this.svg.setAttribute('style', 'position:absolute;width:100%;height:100%;background:' + streets);
    render();
  }
  MapView.prototype.getType = function () { return this.type; };
  MapView.prototype.panTo = function (point) { this.center = point; render(); };
  function Marker(options) { markers.push(Object.assign(this, options)); render(); }
  Marker.prototype.remove = function () { drop(markers, this); };
  function Polyline(options) { lines.push(Object.assign(this, options, { path: options.path.slice() })); render(); }
  Polyline.prototype.addPoint = function (point) { this.path.push(point); render(); };
  Polyline.prototype.remove = function () { drop(lines, this); };
  function drop(list, item) { list.splice(list.indexOf(item), 1); render(); }

  // Plate carree at the map's zoom: 256 * 2^zoom pixels round the world.
  function xy(p) {
    var scale = 256 * Math.pow(2, map.zoom) / 360;
    var box = map.svg.getBoundingClientRect();
    return [box.width / 2 + (p.lng - map.center.lng) * scale, box.height / 2 - (p.lat - map.center.lat) * scale];
  }
  function draw(name, attributes) {
    var node = map.svg.appendChild(document.createElementNS(SVG, name));
    Object.keys(attributes).forEach(function (k) { node.setAttribute(k, attributes[k]); });
  }
  function render() {
    var track = lines.filter(function (l) { return !l.click; });
    var out = document.getElementById('maplib_state') || document.body.appendChild(
        Object.assign(document.createElement('textarea'), { id: 'maplib_state', hidden: true }));
    out.value = JSON.stringify({
      map: map && [map.center.lat, map.center.lng, map.zoom, map.type],
      markers: markers.map(function (m) { return m.title + ' ' + m.icon; }),
      track: track.map(function (l) { return l.path.length; }),
      segments: lines.length - track.length
    });
    if (!map) return;
    map.svg.replaceChildren();
    track.forEach(function (l) {
      draw('polyline', { points: l.path.map(xy).join(' '), fill: 'none', stroke: l.color, 'stroke-width': l.weight });
    });
    markers.forEach(function (m) {
      var p = xy(m.position);
      draw('image', { href: m.icon, x: p[0] - 16, y: p[1] - (m.anchor === 'center' ? 16 : 32), width: 32, height: 32 });
    });
  }

  window.MapLib = { Map: MapView, Point: Point, Marker: Marker, Polyline: Polyline,
                    events: { on: function (target, name, handler) { target[name] = handler; render(); } } };
  // The test's click on the newest clickable segment.
  window.clickLastSegment = function () { lines.filter(function (l) { return l.click; }).pop().click(); };
})();
