// A stand-in of the map service's JavaScript API for the map page's tests, served at the API's own
// address: the google.maps classes and members that the page uses, with the signatures of the
// service's API reference, drawn plainly over a light street grid. What the page left on the map
// and the members it used go, as JSON, into a hidden text area (#standin_state) for the test.
// It loads as the service does: the classes come in a later task, after the page's load, and then
// the function named by the address's "callback" is called; a key that is missing or begins with
// "Refused" is refused through the page's gm_authFailure after the callback. A test that sets
// window.standInHeld before this runs brings the classes itself, late, with releaseStandIn(), which
// is there once #standin_state is.
(function () {
  var query = new URL(document.currentScript.src).searchParams;
  var SVG = 'http://www.w3.org/2000/svg';
  var map = null, markers = [], lines = [], used = {};
  var streets = 'repeating-linear-gradient(0deg, #fff 0 8px, transparent 8px 92px), ' +
                'repeating-linear-gradient(90deg, #fff 0 8px, transparent 8px 92px) #eeebe3';

  function use(member) { used[member] = true; }
  function show(list, item, on) {
    if (list.indexOf(item) >= 0) list.splice(list.indexOf(item), 1);
    if (on) list.push(item);
    render();
  }
  function LatLng(lat, lng) { use('LatLng'); this.at = [lat, lng]; }
  LatLng.prototype.equals = function (o) {
    use('LatLng.equals');
    return o.at[0] === this.at[0] && o.at[1] === this.at[1];
  };
  function Point(x, y) { use('Point'); this.x = x; this.y = y; }
  function MVCArray(items) { this.items = items.slice(); }
  MVCArray.prototype.push = function (item) { use('MVCArray.push'); this.items.push(item); render(); };
  function MapView(element, options) {
    use('Map');
    map = this;
    this.options = options;
    this.svg = element.appendChild(document.createElementNS(SVG, 'svg'));
    this.svg.setAttribute('style', 'position:absolute;width:100%;height:100%;background:' + streets);
    render();
  }
  MapView.prototype.getMapTypeId = function () { use('Map.getMapTypeId'); return this.options.mapTypeId; };
  MapView.prototype.panTo = function (latLng) { use('Map.panTo'); this.options.center = latLng; render(); };
  function Marker(options) { use('Marker'); this.options = options; show(markers, this, !!options.map); }
  Marker.prototype.setMap = function (m) { use('Marker.setMap'); show(markers, this, !!m); };
  function Polyline(options) {
    use('Polyline');
    this.options = options;
    this.path = new MVCArray(options.path);
    this.listeners = {};
    show(lines, this, !!options.map);
  }
  Polyline.prototype.getPath = function () { use('Polyline.getPath'); return this.path; };
  Polyline.prototype.setMap = function (m) { use('Polyline.setMap'); show(lines, this, !!m); };
  var event = {
    addListener: function (instance, name, handler) {
      use('event.addListener');
      instance.listeners[name] = handler;
      render();
    },
    trigger: function (instance, name) { instance.listeners[name](); }
  };

  function clickable(line) { return !!line.listeners.click; }
  function icon(m) { return typeof m.options.icon === 'object' ? m.options.icon : { url: m.options.icon }; }
  // Plate carree at the map's zoom: 256 * 2^zoom pixels round the world.
  function xy(latLng) {
    var scale = 256 * Math.pow(2, map.options.zoom) / 360;
    var box = map.svg.getBoundingClientRect();
    var centre = map.options.center.at;
    return [box.width / 2 + (latLng.at[1] - centre[1]) * scale, box.height / 2 - (latLng.at[0] - centre[0]) * scale];
  }
  function draw(name, attributes) {
    var node = map.svg.appendChild(document.createElementNS(SVG, name));
    Object.keys(attributes).forEach(function (k) { node.setAttribute(k, attributes[k]); });
  }
  function render() {
    var out = document.getElementById('standin_state') || document.body.appendChild(
        Object.assign(document.createElement('textarea'), { id: 'standin_state', hidden: true }));
    var o = map && map.options;
    out.value = JSON.stringify({
      map: o && [o.center.at[0], o.center.at[1], o.zoom, o.mapTypeId],
      markers: markers.map(function (m) { return m.options.title + ' ' + icon(m).url; }),
      track: lines.filter(function (l) { return !clickable(l); }).map(function (l) { return l.path.items.length; }),
      segments: lines.filter(clickable).length,
      used: Object.keys(used).sort()
    });
    if (!map) return;
    map.svg.replaceChildren();
    lines.forEach(function (l) {
      draw('polyline', { points: l.path.items.map(xy).join(' '), fill: 'none', stroke: l.options.strokeColor,
                         'stroke-opacity': l.options.strokeOpacity, 'stroke-width': l.options.strokeWeight });
    });
    markers.forEach(function (m) {  // the API's default anchor is the middle of the picture's bottom
      var p = xy(m.options.position), at = icon(m).anchor || { x: 16, y: 40 };
      draw('image', { href: icon(m).url, x: p[0] - at.x, y: p[1] - at.y, width: 32, height: icon(m).anchor ? 32 : 40 });
    });
  }

  var refused = !query.get('key') || query.get('key').indexOf('Refused') === 0;
  function arrive() {
    window.google = { maps: { Map: MapView, MapTypeId: { ROADMAP: 'roadmap', TERRAIN: 'terrain' }, LatLng: LatLng,
                              Point: Point, Marker: Marker, Polyline: Polyline, MVCArray: MVCArray, event: event } };
    window[query.get('callback')]();
    if (!refused) return;
    console.error('Stand-in map service: ' + (query.get('key') ? 'the key "' + query.get('key') + '" is' : 'no key') +
                  ' refused');
    window.gm_authFailure();
  }
  // The test's click on the newest clickable line.
  window.clickLastSegment = function () { event.trigger(lines.filter(clickable).pop(), 'click'); };
  if (window.standInHeld) {
    window.releaseStandIn = arrive;
    render();
  }
  else if (document.readyState === 'complete') setTimeout(arrive, 0);
  else window.addEventListener('load', function () { setTimeout(arrive, 0); });
})();
