#include "PacScript.h"

namespace win32 {

// The standard helper functions a PAC script may call, in plain ECMAScript 5.
// Host names and patterns are compared case-insensitively where browsers do
// (domain tests), literally where the helper is defined on text (shExpMatch).
const char kPacHelperScript[] = R"JS(
function isPlainHostName(host) {
    return String(host).indexOf('.') < 0;
}

function dnsDomainIs(host, domain) {
    host = String(host).toLowerCase();
    domain = String(domain).toLowerCase();
    return host.length >= domain.length &&
        host.substring(host.length - domain.length) === domain;
}

function localHostOrDomainIs(host, hostdom) {
    host = String(host).toLowerCase();
    hostdom = String(hostdom).toLowerCase();
    if (host === hostdom)
        return true;
    return host.indexOf('.') < 0 && hostdom.indexOf(host + '.') === 0;
}

function isResolvable(host) {
    return dnsResolve(host) !== null;
}

function dnsDomainLevels(host) {
    return String(host).split('.').length - 1;
}

function shExpMatch(str, pattern) {
    var source = '^';
    pattern = String(pattern);
    for (var i = 0; i < pattern.length; ++i) {
        var c = pattern.charAt(i);
        if (c === '*')
            source += '.*';
        else if (c === '?')
            source += '.';
        else if ('\\^$.|+()[]{}/'.indexOf(c) >= 0)
            source += '\\' + c;
        else
            source += c;
    }
    return new RegExp(source + '$').test(String(str));
}

// Dotted IPv4 text to an unsigned 32-bit number, or null.
function __pacIpv4(text) {
    var parts = String(text).split('.');
    if (parts.length !== 4)
        return null;
    var value = 0;
    for (var i = 0; i < 4; ++i) {
        if (!/^[0-9]{1,3}$/.test(parts[i]))
            return null;
        var n = parseInt(parts[i], 10);
        if (n > 255)
            return null;
        value = value * 256 + n;
    }
    return value;
}

function isInNet(host, pattern, mask) {
    var address = __pacIpv4(host);
    if (address === null) {
        var resolved = dnsResolve(host);
        address = resolved === null ? null : __pacIpv4(resolved);
    }
    var net = __pacIpv4(pattern), bits = __pacIpv4(mask);
    if (address === null || net === null || bits === null)
        return false;
    return ((address & bits) >>> 0) === ((net & bits) >>> 0);
}

function convert_addr(ipchars) {
    var value = __pacIpv4(ipchars);
    return value === null ? 0 : value;
}

function alert() {
}

// Drops a trailing "GMT" argument and tells whether it was there.
function __pacArgs(list) {
    var args = Array.prototype.slice.call(list);
    var gmt = args.length > 0 && args[args.length - 1] === 'GMT';
    if (gmt)
        args.pop();
    return { args: args, gmt: gmt };
}

function __pacInRange(value, from, to) {
    return from <= to ? (from <= value && value <= to) : (value >= from || value <= to);
}

var __pacDays = ['SUN', 'MON', 'TUE', 'WED', 'THU', 'FRI', 'SAT'];
var __pacMonths = ['JAN', 'FEB', 'MAR', 'APR', 'MAY', 'JUN', 'JUL', 'AUG', 'SEP', 'OCT', 'NOV', 'DEC'];

function weekdayRange() {
    var a = __pacArgs(arguments);
    if (a.args.length < 1 || a.args.length > 2)
        return false;
    var now = new Date();
    var today = a.gmt ? now.getUTCDay() : now.getDay();
    var from = __pacDays.indexOf(String(a.args[0]).toUpperCase());
    var to = a.args.length === 2 ? __pacDays.indexOf(String(a.args[1]).toUpperCase()) : from;
    if (from < 0 || to < 0)
        return false;
    return __pacInRange(today, from, to);
}

// dateRange takes days (1-31), month names and years (four digits), alone,
// as a pair of the same kind, or as two equal-shaped halves of a range.
function dateRange() {
    var a = __pacArgs(arguments);
    var n = a.args.length;
    if (n < 1 || n > 6 || (n > 1 && n % 2 !== 0))
        return false;
    var now = new Date();
    var current = {
        d: a.gmt ? now.getUTCDate() : now.getDate(),
        m: a.gmt ? now.getUTCMonth() : now.getMonth(),
        y: a.gmt ? now.getUTCFullYear() : now.getFullYear()
    };
    function field(value) {
        if (typeof value === 'number')
            return value > 31 ? { kind: 'y', value: value } : { kind: 'd', value: value };
        var month = __pacMonths.indexOf(String(value).toUpperCase());
        return month < 0 ? null : { kind: 'm', value: month };
    }
    function key(fields) {
        var order = { y: 0, m: 1, d: 2 }, parts = [], kinds = '';
        for (var i = 0; i < fields.length; ++i) {
            if (fields[i] === null)
                return null;
            parts.push(fields[i]);
        }
        parts.sort(function (x, y) { return order[x.kind] - order[y.kind]; });
        var value = 0, now = 0;
        for (var j = 0; j < parts.length; ++j) {
            kinds += parts[j].kind;
            value = value * 100 + parts[j].value;
            now = now * 100 + current[parts[j].kind];
            if (parts[j].kind === 'y') {
                value *= 100;
                now *= 100;
            }
        }
        return { kinds: kinds, value: value, now: now };
    }
    var fields = [];
    for (var i = 0; i < n; ++i)
        fields.push(field(a.args[i]));
    if (n === 1) {
        var single = key(fields);
        return single !== null && single.value === single.now;
    }
    var first = key(fields.slice(0, n / 2)), second = key(fields.slice(n / 2));
    if (first === null || second === null || first.kinds !== second.kinds)
        return false;
    return __pacInRange(first.now, first.value, second.value);
}

function timeRange() {
    var a = __pacArgs(arguments);
    var n = a.args.length;
    var now = new Date();
    var h = a.gmt ? now.getUTCHours() : now.getHours();
    var m = a.gmt ? now.getUTCMinutes() : now.getMinutes();
    var s = a.gmt ? now.getUTCSeconds() : now.getSeconds();
    var seconds = h * 3600 + m * 60 + s;
    var v = a.args;
    if (n === 1)
        return h === v[0];
    if (n === 2)
        return v[0] === v[1] ? h === v[0] : __pacInRange(seconds, v[0] * 3600, v[1] * 3600 - 1);
    if (n === 4)
        return __pacInRange(seconds, v[0] * 3600 + v[1] * 60, v[2] * 3600 + v[3] * 60 - 1);
    if (n === 6)
        return __pacInRange(seconds, v[0] * 3600 + v[1] * 60 + v[2], v[3] * 3600 + v[4] * 60 + v[5]);
    return false;
}
)JS";

} // namespace win32
